#pragma once

#include "connection.h"

// A window's own connection to the chosen database, by default testing.mdb.
class TestingClass
{
public:
    Connection cn;

    // Opens cn unless it is open. A server that wants a password none of
    // libpq's places holds asks for it in a password box. A database that
    // cannot be opened shows "Not able to acess database" (and on a second line
    // what is wrong: the data folder, a chosen database, a wrong password) and
    // ends the program; any other failure leaves cn closed without a word.
    void Conopen();
};
