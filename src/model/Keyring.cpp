#include "model/Keyring.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QMutex>
#include <QMutexLocker>
#include <QPointer>
#include <QThread>
#include <QTimer>

#include <qt6keychain/keychain.h>

#include <atomic>
#include <future>
#include <memory>

namespace lockleaf
{

namespace
{

enum class Op { Read, Write, Remove };

std::atomic<long long> g_timeoutMs{5000};

// The process's keyring thread and the object its jobs hang from.
class KeyringThread final
{
public:
    static KeyringThread &instance()
    {
        static KeyringThread *thread = new KeyringThread; // ends with the application, see stop()
        return *thread;
    }

    // Runs `job` on the keyring thread; false once the thread has stopped.
    bool post(std::function<void(QObject *owner)> job)
    {
        QMutexLocker lock(&m_mutex);
        if (m_stopped || !QCoreApplication::instance())
            return false;
        if (!m_thread) {
            m_thread = new QThread;
            m_thread->setObjectName(QStringLiteral("keyring"));
            m_owner = new QObject;
            m_owner->moveToThread(m_thread);
            QObject::connect(m_thread, &QThread::finished, m_owner, &QObject::deleteLater);
            m_thread->start();
            qAddPostRoutine(&KeyringThread::stopAtExit);
        }
        QObject *owner = m_owner;
        QMetaObject::invokeMethod(
            owner, [job = std::move(job), owner] { job(owner); }, Qt::QueuedConnection);
        return true;
    }

    std::atomic<bool> hung{false};

private:
    static void stopAtExit() { instance().stop(); }

    // The thread waits in its event loop between jobs, so it ends promptly; a
    // job still pending in the keyring is abandoned with it.
    void stop()
    {
        QMutexLocker lock(&m_mutex);
        m_stopped = true;
        if (!m_thread)
            return;
        m_thread->quit();
        if (m_thread->wait(2000))
            delete m_thread;
        m_thread = nullptr;
    }

    QMutex m_mutex;
    QThread *m_thread = nullptr;
    QObject *m_owner = nullptr;
    bool m_stopped = false;
};

KeyringReply replyOf(QKeychain::Job *job, Op op)
{
    KeyringReply reply;
    switch (job->error()) {
    case QKeychain::NoError:
        reply.status = KeyringReply::Status::Ok;
        if (op == Op::Read)
            reply.value = static_cast<QKeychain::ReadPasswordJob *>(job)->textData();
        break;
    case QKeychain::EntryNotFound:
        // Removing what is not there leaves the keyring as asked.
        reply.status = op == Op::Remove ? KeyringReply::Status::Ok : KeyringReply::Status::NotFound;
        break;
    default:
        reply.status = KeyringReply::Status::Unavailable;
        reply.error = job->errorString();
        break;
    }
    return reply;
}

// On the keyring thread: starts one job and calls `done` exactly once.
void startJob(QObject *owner, const QString &service, const QString &key, Op op, const QString &value,
              const Keyring::Callback &done)
{
    KeyringThread &thread = KeyringThread::instance();
    if (thread.hung) {
        done({KeyringReply::Status::Unavailable, {}, QStringLiteral("the keyring did not answer")});
        return;
    }
    QKeychain::Job *job = nullptr;
    switch (op) {
    case Op::Read:
        job = new QKeychain::ReadPasswordJob(service, owner);
        break;
    case Op::Write: {
        auto *write = new QKeychain::WritePasswordJob(service, owner);
        write->setTextData(value);
        job = write;
        break;
    }
    case Op::Remove:
        job = new QKeychain::DeletePasswordJob(service, owner);
        break;
    }
    job->setKey(key);
    job->setInsecureFallback(false); // a plain-text copy is exactly what the keyring avoids
    // Deleted only once it finished: QtKeychain's backends call back into a job
    // that is still pending, so one that timed out stays until it ends (or the
    // thread does).
    job->setAutoDelete(false);
    auto answered = std::make_shared<bool>(false);
    QObject::connect(job, &QKeychain::Job::finished, owner, [answered, done, op](QKeychain::Job *finished) {
        finished->deleteLater();
        if (*answered)
            return;
        *answered = true;
        done(replyOf(finished, op));
    });
    QTimer::singleShot(Keyring::timeout(), owner, [answered, done] {
        if (*answered)
            return;
        *answered = true;
        KeyringThread::instance().hung = true;
        done({KeyringReply::Status::Unavailable, {}, QStringLiteral("the keyring did not answer in time")});
    });
    job->start();
}

void request(const QString &service, const QString &key, Op op, const QString &value, Keyring::Callback done)
{
    const bool posted = KeyringThread::instance().post(
        [service, key, op, value, done](QObject *owner) { startJob(owner, service, key, op, value, done); });
    if (!posted)
        done({KeyringReply::Status::Unavailable, {}, QStringLiteral("the keyring is closed")});
}

void requestAsync(const QString &service, const QString &key, Op op, const QString &value, QObject *context,
                  Keyring::Callback done)
{
    QPointer<QObject> target(context);
    request(service, key, op, value, [target, done](const KeyringReply &reply) {
        if (target)
            QMetaObject::invokeMethod(
                target.data(), [done, reply] { done(reply); }, Qt::QueuedConnection);
    });
}

KeyringReply requestNow(const QString &service, const QString &key, Op op, const QString &value)
{
    auto promise = std::make_shared<std::promise<KeyringReply>>();
    std::future<KeyringReply> answer = promise->get_future();
    request(service, key, op, value, [promise](const KeyringReply &reply) { promise->set_value(reply); });
    // The thread's own timer answers first; this only guards against a thread that stalls.
    if (answer.wait_for(Keyring::timeout() + std::chrono::seconds(2)) != std::future_status::ready)
        return {KeyringReply::Status::Unavailable, {}, QStringLiteral("the keyring did not answer in time")};
    return answer.get();
}

} // namespace

Keyring::Keyring(const QString &service) : m_service(service)
{
}

void Keyring::read(const QString &key, QObject *context, Callback done) const
{
    requestAsync(m_service, key, Op::Read, {}, context, std::move(done));
}

void Keyring::write(const QString &key, const QString &value, QObject *context, Callback done) const
{
    requestAsync(m_service, key, Op::Write, value, context, std::move(done));
}

KeyringReply Keyring::readNow(const QString &key) const
{
    return requestNow(m_service, key, Op::Read, {});
}

KeyringReply Keyring::writeNow(const QString &key, const QString &value) const
{
    return requestNow(m_service, key, Op::Write, value);
}

KeyringReply Keyring::removeNow(const QString &key) const
{
    return requestNow(m_service, key, Op::Remove, {});
}

std::chrono::milliseconds Keyring::timeout()
{
    return std::chrono::milliseconds(g_timeoutMs.load());
}

void Keyring::setTimeout(std::chrono::milliseconds timeout)
{
    g_timeoutMs = timeout.count();
}

} // namespace lockleaf
