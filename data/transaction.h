#pragma once

class Connection;

// Everything between construction and commit() lands together or not at all:
// a transaction not committed is rolled back when the guard goes.
class Transaction
{
public:
    explicit Transaction(Connection &cn);
    ~Transaction();
    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;

    void commit();

private:
    Connection &m_cn;
    bool m_done = false;
};
