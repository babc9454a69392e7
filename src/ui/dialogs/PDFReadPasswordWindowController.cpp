#include "ui/dialogs/PDFReadPasswordWindowController.h"

#include "ui_PDFReadPassword.h"

namespace lockleaf
{

PDFReadPasswordWindowController::PDFReadPasswordWindowController(QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::PDFReadPassword>())
{
    m_ui->setupUi(this);
    setWindowModality(Qt::WindowModal);
    connect(m_ui->applyButton, &QPushButton::clicked, this, [this] { applyAction(); });
    connect(m_ui->cancelButton, &QPushButton::clicked, this, [this] { cancelAction(); });
    connect(m_ui->showPasswordCheckbox, &QCheckBox::toggled, this, [this](bool show) {
        m_ui->passwordField->setEchoMode(show ? QLineEdit::Normal : QLineEdit::Password);
    });
}

PDFReadPasswordWindowController::~PDFReadPasswordWindowController()
{
    m_delegate = nullptr;
}

void PDFReadPasswordWindowController::setPdfReadPassword(const QString &password)
{
    m_pdfReadPassword = password.isNull() ? QStringLiteral("") : password;
    m_ui->passwordField->setText(m_pdfReadPassword);
}

void PDFReadPasswordWindowController::showSheet()
{
    // Every showing starts masked, whatever the last one was left at.
    m_ui->showPasswordCheckbox->setChecked(false);
    m_ui->passwordField->selectAll();
    m_ui->passwordField->setFocus(Qt::OtherFocusReason);
    open();
}

void PDFReadPasswordWindowController::commitEditing()
{
    m_pdfReadPassword = m_ui->passwordField->text();
}

void PDFReadPasswordWindowController::applyAction()
{
    commitEditing();
    if (m_delegate)
        m_delegate->PDFReadPasswordWindowControllerDidFinish(this);
    QDialog::accept();
}

void PDFReadPasswordWindowController::cancelAction()
{
    commitEditing();
    QDialog::reject();
}

} // namespace lockleaf
