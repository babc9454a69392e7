#include "engine/RunProgress.h"

#include <QMutexLocker>

namespace lockleaf
{

namespace
{

// Sets one text property under the lock; its signal goes out after the lock is
// released, so a directly connected slot may read the property again.
void storeText(QMutex &mutex, QString &field, const QString &value)
{
    QMutexLocker lock(&mutex);
    field = value;
}

} // namespace

void RunProgress::setIsCombining(bool v)
{
    m_isCombining.store(v);
    Q_EMIT isCombiningChanged();
}

void RunProgress::setIsCompleted(bool v)
{
    m_isCompleted.store(v);
    Q_EMIT isCompletedChanged();
}

void RunProgress::setTotalFileSelected(int v)
{
    m_totalFileSelected.store(v);
    Q_EMIT totalFileSelectedChanged();
}

void RunProgress::setTotalFileProcessed(int v)
{
    m_totalFileProcessed.store(v);
    Q_EMIT totalFileProcessedChanged();
}

void RunProgress::setTotalFileCreated(int v)
{
    m_totalFileCreated.store(v);
    Q_EMIT totalFileCreatedChanged();
}

QString RunProgress::fileInProcess() const
{
    QMutexLocker lock(&m_textMutex);
    return m_fileInProcess;
}

void RunProgress::setFileInProcess(const QString &v)
{
    storeText(m_textMutex, m_fileInProcess, v);
    Q_EMIT fileInProcessChanged();
}

QString RunProgress::outputFileInProcess() const
{
    QMutexLocker lock(&m_textMutex);
    return m_outputFileInProcess;
}

void RunProgress::setOutputFileInProcess(const QString &v)
{
    storeText(m_textMutex, m_outputFileInProcess, v);
    Q_EMIT outputFileInProcessChanged();
}

QString RunProgress::timeTaken() const
{
    QMutexLocker lock(&m_textMutex);
    return m_timeTaken;
}

void RunProgress::setTimeTaken(const QString &v)
{
    storeText(m_textMutex, m_timeTaken, v);
    Q_EMIT timeTakenChanged();
}

QString RunProgress::message() const
{
    QMutexLocker lock(&m_textMutex);
    return m_message;
}

void RunProgress::setMessage(const QString &v)
{
    storeText(m_textMutex, m_message, v);
    Q_EMIT messageChanged();
}

} // namespace lockleaf
