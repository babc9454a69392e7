#pragma once

#include <QMutex>
#include <QObject>
#include <QString>

#include <atomic>

namespace lockleaf
{

// What a run shows while it works: its flags, counts and texts, each a
// property with a change signal. Process sets them on its own thread and
// emits the signals there (connect with queued connections to present them
// elsewhere); every getter is safe from any thread.
class RunProgress : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(RunProgress)
    Q_PROPERTY(bool isCombining READ isCombining WRITE setIsCombining NOTIFY isCombiningChanged)
    Q_PROPERTY(bool isCompleted READ isCompleted WRITE setIsCompleted NOTIFY isCompletedChanged)
    Q_PROPERTY(int totalFileSelected READ totalFileSelected WRITE setTotalFileSelected NOTIFY
                   totalFileSelectedChanged)
    Q_PROPERTY(int totalFileProcessed READ totalFileProcessed WRITE setTotalFileProcessed NOTIFY
                   totalFileProcessedChanged)
    Q_PROPERTY(
        int totalFileCreated READ totalFileCreated WRITE setTotalFileCreated NOTIFY totalFileCreatedChanged)
    Q_PROPERTY(QString fileInProcess READ fileInProcess WRITE setFileInProcess NOTIFY fileInProcessChanged)
    Q_PROPERTY(QString outputFileInProcess READ outputFileInProcess WRITE setOutputFileInProcess NOTIFY
                   outputFileInProcessChanged)
    Q_PROPERTY(QString timeTaken READ timeTaken WRITE setTimeTaken NOTIFY timeTakenChanged)
    Q_PROPERTY(QString message READ message WRITE setMessage NOTIFY messageChanged)

public:
    explicit RunProgress(QObject *parent = nullptr) : QObject(parent) {}

    bool isCombining() const { return m_isCombining.load(); }
    void setIsCombining(bool v);
    bool isCompleted() const { return m_isCompleted.load(); }
    void setIsCompleted(bool v);
    int totalFileSelected() const { return m_totalFileSelected.load(); }
    void setTotalFileSelected(int v);
    int totalFileProcessed() const { return m_totalFileProcessed.load(); }
    void setTotalFileProcessed(int v);
    int totalFileCreated() const { return m_totalFileCreated.load(); }
    void setTotalFileCreated(int v);
    QString fileInProcess() const;
    void setFileInProcess(const QString &v);
    QString outputFileInProcess() const;
    void setOutputFileInProcess(const QString &v);
    QString timeTaken() const;
    void setTimeTaken(const QString &v);
    QString message() const;
    void setMessage(const QString &v);

Q_SIGNALS:
    void isCombiningChanged();
    void isCompletedChanged();
    void totalFileSelectedChanged();
    void totalFileProcessedChanged();
    void totalFileCreatedChanged();
    void fileInProcessChanged();
    void outputFileInProcessChanged();
    void timeTakenChanged();
    void messageChanged();

private:
    std::atomic<bool> m_isCombining{false};
    std::atomic<bool> m_isCompleted{false};
    std::atomic<int> m_totalFileSelected{1};
    std::atomic<int> m_totalFileProcessed{0};
    std::atomic<int> m_totalFileCreated{0};
    mutable QMutex m_textMutex; // guards the four strings below
    QString m_fileInProcess{QStringLiteral("")};
    QString m_outputFileInProcess{QStringLiteral("")};
    QString m_timeTaken{QStringLiteral("In Process...")};
    QString m_message{QStringLiteral("")};
};

} // namespace lockleaf
