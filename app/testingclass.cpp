#include "testingclass.h"

#include "apppaths.h"
#include "dberror.h"
#include "services.h"

void TestingClass::Conopen()
{
    if (cn.state() == 1)
        return;
    try {
        cn.open(AppPaths::databaseFile());
    } catch (const DbError &e) {
        if (e.kind() == DbError::Kind::CannotOpen) {
            Ui::information(nullptr, QStringLiteral("Not able to acess database"), QStringLiteral("Information"));
            Services::lifetime().end(1);
        }
    } catch (const std::exception &) {
        // any other failure leaves cn closed
    }
}
