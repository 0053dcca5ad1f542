#pragma once

#include <QString>

// The figures against a throwaway local PostgreSQL server holding 100,000 test
// cases and 1,000,000 history rows: the list fills beside libpq's floor, a
// result save, and testers logging results at once for testerSeconds each.
void benchServer(const QString &root, int testerSeconds);
