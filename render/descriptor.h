// A file descriptor owned by one object, and what the read and write paths
// share about reopening one.
#ifndef VOPA_DESCRIPTOR_H
#define VOPA_DESCRIPTOR_H

#include <QByteArray>
#include <unistd.h>

// A descriptor, closed when it goes.
class Fd
{
public:
    explicit Fd(int fd = -1) : m_fd(fd) {}
    Fd(Fd &&other) noexcept : m_fd(other.release()) {}
    Fd &operator=(Fd &&other) noexcept
    {
        reset(other.release());
        return *this;
    }
    Fd(const Fd &) = delete;
    Fd &operator=(const Fd &) = delete;
    ~Fd() { reset(); }
    int get() const { return m_fd; }
    int release()
    {
        const int fd = m_fd;
        m_fd = -1;
        return fd;
    }
    void reset(int fd = -1)
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = fd;
    }
    explicit operator bool() const { return m_fd >= 0; }

private:
    int m_fd;
};

inline QByteArray descriptorPath(int fd)
{
    return "/proc/self/fd/" + QByteArray::number(fd);
}

// A descriptor can be opened again through /proc: a file made unnamed can be
// given a name, and a file opened as a path only can be opened for reading
// or writing, the very file that was looked at.
inline bool reopenable()
{
    static const bool proc = ::access("/proc/self/fd", X_OK) == 0;
    return proc;
}

#endif
