#include "ui/AlertPresenter.h"

#include "platform/Utilities.h"

#include <QCoreApplication>
#include <QPushButton>

namespace lockleaf
{

namespace
{

AlertPresenter::UnansweredHandler &unansweredHandler()
{
    static AlertPresenter::UnansweredHandler handler;
    return handler;
}

} // namespace

void AlertPresenter::setUnansweredHandler(UnansweredHandler handler)
{
    unansweredHandler() = std::move(handler);
}

bool AlertPresenter::confirm(QWidget *parent, const QString &message, QMessageBox::Icon icon)
{
    return answer(parent, message, icon, true) == Answer::Yes;
}

void AlertPresenter::inform(QWidget *parent, const QString &message, QMessageBox::Icon icon)
{
    answer(parent, message, icon, false);
}

AlertPresenter::Answer AlertPresenter::answer(QWidget *parent, const QString &message, QMessageBox::Icon icon,
                                              bool question)
{
    m_messages.append(message);
    if (!m_answers.isEmpty())
        return m_answers.dequeue();
    if (unansweredHandler())
        return unansweredHandler()(message);
    return show(parent, message, icon, question);
}

AlertPresenter::Answer AlertPresenter::show(QWidget *parent, const QString &message, QMessageBox::Icon icon,
                                            bool question)
{
    QMessageBox box(icon, getAppTitle(), message, QMessageBox::NoButton, parent);
    box.setWindowModality(parent ? Qt::WindowModal : Qt::ApplicationModal);
    if (!question) {
        box.addButton(QMessageBox::Ok);
        box.exec();
        return Answer::Ok;
    }
    QPushButton *yes =
        box.addButton(QCoreApplication::translate("lockleaf::AlertPresenter", "Yes"), QMessageBox::YesRole);
    QPushButton *no =
        box.addButton(QCoreApplication::translate("lockleaf::AlertPresenter", "No"), QMessageBox::NoRole);
    box.setDefaultButton(yes);
    box.setEscapeButton(no);
    box.exec();
    return box.clickedButton() == yes ? Answer::Yes : Answer::No;
}

} // namespace lockleaf
