// Two testers on one database, a file or a server: no save or delete overwrites
// a change made since the window read the row; a dropped connection retries once.
#include "frm_companydetails.h"
#include "frm_projects.h"
#include "frm_tst_case.h"
#include "frm_tst_log.h"
#include "results.h"
#include "windowtest.h"

using Engine = TempDatabase::Engine;

static QString changed(const QString &what)
{
    return what + " was changed by someone else since you opened it; it has been read again.";
}

class TestTwoTesters : public QObject
{
    Q_OBJECT
    const Engine m_engine;

public:
    explicit TestTwoTesters(Engine engine) : m_engine(engine) {}

private slots:
    void initTestCase()
    {
        if (m_engine == Engine::Server && !TempDatabase::serverProblem().isEmpty())
            QSKIP(qPrintable(TempDatabase::serverProblem()));
    }

    void caseSaveAndDeleteRefuseAChangeMadeSinceTheRead()
    {
        WindowOn<frm_tst_case> f(m_engine);
        f.db.addProject("P");
        f.db.addCases({{"P", "F", "C", "T", "1", "desc 1", "exp 1"}, {"P", "F", "C", "T", "2", "desc 2", "exp 2"}});
        frm_tst_case &w = f.load();
        const auto stored = [&] { return f.db.rows("select qv_zr_tst_case_desc, qv_zr_rslt_exp from qv_zr_tst_cases order by 1"); };
        const auto read = [&](const QString &id) { doubleClickRow(w.LV_cases, rowOf(w.LV_cases, {{3, id}})); };
        read("1");
        f.db.exec("update qv_zr_tst_cases set qv_zr_rslt_exp='theirs' where qv_zr_tst_case_id='1'");
        w.txt_tst_case_desc->setText("mine");
        press(w.cmd_save);
        QCOMPARE(stored(), (QStringList{"desc 1|theirs", "desc 2|exp 2"}));
        QCOMPARE(w.txt_tst_case_desc->text() + w.txt_rslt_exp->text(), "desc 1theirs");
        w.txt_tst_case_desc->setText("mine"); // read again, the edit goes through
        press(w.cmd_save);
        QCOMPARE(stored().last(), "mine|theirs");
        // A delete of a case changed, or deleted, since it was read deletes nothing.
        read("1");
        f.db.exec("update qv_zr_tst_cases set qv_zr_tst_case_desc='again' where qv_zr_tst_case_id='1'");
        press(w.cmd_del);
        QCOMPARE(w.txt_tst_case_desc->text(), "again");
        read("2");
        f.db.exec("delete from qv_zr_tst_cases where qv_zr_tst_case_id='2'");
        press(w.cmd_del);
        QCOMPARE(f.messages(), (QStringList{changed("Test case 1"), "Do you wish to delete test case - 1", changed("Test case 1"),
                                            "Do you wish to delete test case - 2",
                                            "Test case 2 was deleted by someone else since you opened it; the list has been read again."}));
        QCOMPARE(stored(), QStringList{"again|theirs"});
        QCOMPARE(column(w.LV_cases, 3), QStringList{"1"});
    }

    void projectAndCompanySavesRefuseAChangeMadeSinceTheRead()
    {
        WindowOn<frm_projects> p(m_engine);
        p.db.addProject("P", "old");
        frm_projects &w = p.load();
        doubleClickRow(w.LV_prjs, 0);
        p.db.exec("update qv_zr_projects set qv_zr_prj_size='99'");
        w.txt_desc->setText("mine");
        press(w.cmd_save);
        QCOMPARE(p.messages(), QStringList{changed("Project P")});
        QCOMPARE(p.db.rows("select qv_zr_prj_desc, qv_zr_prj_size from qv_zr_projects"), QStringList{"old|99"});
        QCOMPARE(w.txt_desc->text() + w.txt_size->text(), "old99");
        // A Null address read is matched as Null: the first save goes through.
        WindowOn<Frm_CompanyDetails> c(m_engine);
        c.db.exec("insert into Tqvjx_companydetails (fqv_jx_companyname) values ('Acme')");
        Frm_CompanyDetails &company = c.load();
        press(company.cmd_csave);
        c.db.exec("update Tqvjx_companydetails set fqv_jx_companyname='Theirs'");
        company.txt_companyname->setText("Mine");
        press(company.cmd_csave);
        QCOMPARE(c.messages(), QStringList{"The company details were changed by someone else since you opened them; they have been read again."});
        QCOMPARE(c.db.rows("select fqv_jx_companyname, fqv_jx_address from Tqvjx_companydetails"), QStringList{"Theirs|"});
        QCOMPARE(company.txt_companyname->text(), "Theirs");
    }

    void droppedConnectionRetriesTheSaveOnce()
    {
        if (m_engine == Engine::File)
            QSKIP("a file has no connection to lose");
        WindowOn<frm_tst_log> f(m_engine);
        f.db.addProject("P");
        f.db.addCase("P", "F", "C", "T", "1");
        frm_tst_log &w = f.load();
        auto other = std::make_unique<Connection>(); // the other tester logs the same case
        other->open(f.db.path());
        QVERIFY(logResult(*other, {{"P", "F", "C", "T", "1"}, "d", "e", {"Pass", "theirs", QDate(2024, 5, 6), "", ""}}).written());
        other.reset();
        w.txt_rslt_act->setText("mine");
        pick(w.cmb_pass, "Pass");
        for (const bool retry : {false, true}) { // Cancel writes nothing; Retry writes once
            f.db.exec("select pg_terminate_backend(pid) from pg_stat_activity where datname=current_database() and pid<>pg_backend_pid()");
            f.services.messages->retries = {retry};
            w.cmd_save->click();
            QCOMPARE(f.messages().size(), 1 + retry);
            QVERIFY2(f.messages().last().startsWith("The connection to the database server was lost."), qPrintable(f.messages().last()));
            QCOMPARE(f.db.rows("select qv_zr_rslt_act from qv_zr_tst_history order by rowid"), (retry ? QStringList{"theirs", "mine"} : QStringList{"theirs"}));
        }
        QCOMPARE(f.db.rows("select qv_zr_rslt_act from qv_zr_tst_cases"), QStringList{"mine"});
    }
};

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    int failed = 0;
    for (const Engine engine : {Engine::File, Engine::Server}) {
        TestTwoTesters test(engine);
        failed += QTest::qExec(&test, argc, argv);
    }
    return failed;
}
#include "tst_twotesters.moc"
