// Redirects one of the process's descriptors (1 or 2) into a file while alive, so that tests
// can see what the console code wrote with C stdio or std::cerr.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <unistd.h>

class CapturedOutput
{
public:
    explicit CapturedOutput(int fd) : m_fd(fd), m_file(m_dir.path() + "/captured")
    {
        flush();
        m_saved = ::dup(m_fd);
        m_file.open(QIODevice::WriteOnly);
        ::dup2(m_file.handle(), m_fd);
    }
    ~CapturedOutput() { restore(); }
    CapturedOutput(const CapturedOutput &) = delete;
    CapturedOutput &operator=(const CapturedOutput &) = delete;

    // Ends the capture and returns everything written.
    QByteArray text()
    {
        restore();
        QFile f(m_file.fileName());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

private:
    void flush() const { std::fflush(m_fd == 1 ? stdout : stderr); }
    void restore()
    {
        if (m_saved < 0)
            return;
        flush();
        ::dup2(m_saved, m_fd);
        ::close(m_saved);
        m_saved = -1;
        m_file.close();
    }

    int m_fd;
    QTemporaryDir m_dir;
    QFile m_file;
    int m_saved = -1;
};
