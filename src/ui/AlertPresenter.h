#pragma once

#include <QMessageBox>
#include <QQueue>
#include <QString>
#include <QStringList>

#include <functional>

class QWidget;

namespace lockleaf
{

// Every alert of the window goes through here: modal message boxes titled with
// the display title, confirmations with "Yes" (the default) and "No".
//
// Tests queue answers with setNextAnswer(); a queued answer is used instead of
// showing a box, and the message is recorded. Main thread only.
class AlertPresenter
{
public:
    enum class Answer { Yes, No, Ok };

    AlertPresenter() = default;
    virtual ~AlertPresenter() = default;
    Q_DISABLE_COPY_MOVE(AlertPresenter)

    // A confirmation; true only for "Yes".
    bool confirm(QWidget *parent, const QString &message, QMessageBox::Icon icon = QMessageBox::Warning);
    // A notice with a single OK button.
    void inform(QWidget *parent, const QString &message, QMessageBox::Icon icon = QMessageBox::Critical);

    void setNextAnswer(Answer answer) { m_answers.enqueue(answer); }
    // Test seam for every presenter: called instead of showing a box when no
    // answer is queued (a test fails there rather than wait on a modal box).
    using UnansweredHandler = std::function<Answer(const QString &message)>;
    static void setUnansweredHandler(UnansweredHandler handler);
    bool hasQueuedAnswers() const { return !m_answers.isEmpty(); }
    // Every message asked or told so far, oldest first.
    const QStringList &messages() const { return m_messages; }

protected:
    // Shows the box and returns the button chosen. Overridable for other front ends.
    virtual Answer show(QWidget *parent, const QString &message, QMessageBox::Icon icon, bool question);

private:
    Answer answer(QWidget *parent, const QString &message, QMessageBox::Icon icon, bool question);

    QQueue<Answer> m_answers;
    QStringList m_messages;
};

} // namespace lockleaf
