#pragma once

#include "connection.h"

// A window's own connection to testing.mdb in the program's folder.
class TestingClass
{
public:
    Connection cn;

    // Opens cn unless it is open. A database file that cannot be opened shows
    // "Not able to acess database" (and on a second line what is wrong with
    // the data folder, when something is) and ends the program; any other failure
    // leaves cn closed without a word.
    void Conopen();
};
