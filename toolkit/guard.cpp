#include "guard.h"

#include "dberror.h"
#include "services.h"

#include <QWidget>
#include <exception>

void runGuarded(QWidget *parent, const std::function<void()> &handler)
{
    try {
        handler();
    } catch (const DbError &e) {
        Ui::information(parent, QStringLiteral("Verolan could not finish this action; nothing was half-written.\n\n")
                                    + e.describe());
    } catch (const std::exception &e) {
        Ui::information(parent, QStringLiteral("Verolan could not finish this action.\n\n")
                                    + QString::fromLocal8Bit(e.what()));
    }
}
