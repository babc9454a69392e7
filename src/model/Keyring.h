#pragma once

#include <QObject>
#include <QString>

#include <chrono>
#include <functional>

namespace lockleaf
{

// One answer of the system keyring.
struct KeyringReply {
    enum class Status {
        Ok,         // done; for a read, `value` holds the secret
        NotFound,   // a read of an entry that does not exist
        Unavailable // no keyring, locked, refused or no answer in time
    };
    Status status = Status::Unavailable;
    QString value;
    QString error; // why it was Unavailable; never holds a secret
};

// The platform keyring (the Secret Service on Linux, the Keychain on macOS)
// through QtKeychain: text entries under one service name.
//
// Every job runs on one thread of the process ("keyring"), started on first
// use and stopped when the QCoreApplication goes (QtKeychain queues its jobs on
// the thread that used it first, so that thread must live as long as they do).
// A job that does not finish within timeout() answers Unavailable, and every
// later one does so at once: a keyring that hangs once is not waited on again.
// Usable from any thread; a QCoreApplication must exist.
class Keyring final
{
public:
    using Callback = std::function<void(const KeyringReply &)>;

    explicit Keyring(const QString &service = QStringLiteral("Lockleaf"));

    // Asynchronous: `done` is called once on `context`'s thread (queued), and
    // not at all when `context` is destroyed first.
    void read(const QString &key, QObject *context, Callback done) const;
    void write(const QString &key, const QString &value, QObject *context, Callback done) const;

    // Blocking: wait at most about timeout(). Never call them on the keyring thread.
    KeyringReply readNow(const QString &key) const;
    KeyringReply writeNow(const QString &key, const QString &value) const;
    KeyringReply removeNow(const QString &key) const;

    static std::chrono::milliseconds timeout();
    // For tests of a keyring that never answers.
    static void setTimeout(std::chrono::milliseconds timeout);

private:
    QString m_service;
};

} // namespace lockleaf
