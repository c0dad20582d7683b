#pragma once

#include <QCursor>
#include <QGuiApplication>

// The busy pointer over the program's windows while an operation runs; the destructor puts the
// pointer back however the operation ends, a thrown port failure included.
class BusyCursor
{
public:
    BusyCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QGuiApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor &) = delete;
    BusyCursor &operator=(const BusyCursor &) = delete;
};

// The normal pointer while the program waits for the user in the middle of an operation (a
// message box, a test that runs until Stop); nothing changes when no operation runs.
class NormalCursor
{
public:
    NormalCursor() : m_set(QGuiApplication::overrideCursor() != nullptr)
    {
        if (m_set)
            QGuiApplication::setOverrideCursor(Qt::ArrowCursor);
    }
    ~NormalCursor()
    {
        if (m_set)
            QGuiApplication::restoreOverrideCursor();
    }
    NormalCursor(const NormalCursor &) = delete;
    NormalCursor &operator=(const NormalCursor &) = delete;

private:
    bool m_set;
};
