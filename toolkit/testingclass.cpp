#include "testingclass.h"

#include "apppaths.h"
#include "datafolder.h"
#include "dberror.h"
#include "objectstate.h"
#include "services.h"

void TestingClass::Conopen()
{
    if (cn.state() == StateOpen)
        return;
    try {
        cn.open(AppPaths::databaseFile());
    } catch (const DbError &e) {
        if (e.kind() == DbError::Kind::CannotOpen) {
            // A data folder that could not be made or read is named with the reason.
            QString text = QStringLiteral("Not able to acess database");
            const QString why = AppPaths::dataFolderProblem();
            if (!why.isEmpty())
                text += QLatin1Char('\n') + why;
            Ui::information(nullptr, text, QStringLiteral("Information"));
            Services::lifetime().end(1);
        }
    } catch (const std::exception &) {
        // any other failure leaves cn closed
    }
}
