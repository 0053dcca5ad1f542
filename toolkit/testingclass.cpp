#include "testingclass.h"

#include "apppaths.h"
#include "databaselocation.h"
#include "datafolder.h"
#include "dberror.h"
#include "objectstate.h"
#include "services.h"

void TestingClass::Conopen()
{
    if (cn.state() == StateOpen)
        return;
    const QString database = AppPaths::databaseFile();
    try {
        cn.open(database);
    } catch (const DbError &e) {
        if (e.kind() == DbError::Kind::CannotOpen) {
            const Connection::PasswordTrouble trouble = Connection::passwordTrouble(e.engineMessage());
            const QString name = DatabaseLocation::parse(database).displayName();
            if (trouble == Connection::PasswordTrouble::Missing) {
                // Asked once a run: every later connection takes it from memory.
                if (const std::optional<QString> password
                    = Ui::askPassword(nullptr, QStringLiteral("Password for %1:").arg(name), QStringLiteral("Database"))) {
                    Connection::setServerPassword(*password);
                    return Conopen();
                }
            }
            // A data folder that could not be made or read is named with the reason;
            // a database chosen in the settings or on the command line, with what is wrong.
            QString text = QStringLiteral("Not able to acess database");
            QString why = AppPaths::dataFolderProblem();
            if (trouble == Connection::PasswordTrouble::Wrong) {
                Connection::setServerPassword(QString());
                why = QStringLiteral("The password for %1 is wrong.").arg(name);
            } else if (database != AppPaths::current().database) {
                why = e.describe();
            }
            if (!why.isEmpty())
                text += QLatin1Char('\n') + why;
            Ui::information(nullptr, text, QStringLiteral("Information"));
            Services::lifetime().end(1);
        }
    } catch (const std::exception &) {
        // any other failure leaves cn closed
    }
}
