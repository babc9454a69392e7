#include "ui/dialogs/ImportFilesWindowController.h"

#include "model/ImportList.h"
#include "platform/SystemLog.h"
#include "ui/AlertPresenter.h"
#include "ui/FileChooser.h"
#include "ui/KeyCharacter.h"

#include "ui_ImportFiles.h"

#include <QClipboard>
#include <QGuiApplication>

#include <exception>

namespace lockleaf
{

namespace
{

QString reasonOf(const std::exception &e)
{
    return QString::fromLocal8Bit(e.what());
}

} // namespace

ImportFilesWindowController::ImportFilesWindowController(QWidget *parent, AlertPresenter *alerts,
                                                         FileChooser *chooser)
    : QDialog(parent), m_ui(std::make_unique<Ui::ImportFiles>()), m_alerts(alerts), m_chooser(chooser)
{
    if (!m_alerts) {
        m_ownAlerts = std::make_unique<AlertPresenter>();
        m_alerts = m_ownAlerts.get();
    }
    if (!m_chooser) {
        m_ownChooser = std::make_unique<FileChooser>();
        m_chooser = m_ownChooser.get();
    }
    m_ui->setupUi(this);
    setWindowModality(Qt::WindowModal);

    // The mode buttons behave as a pair by hand, so "neither" stays possible.
    for (QAbstractButton *mode : {static_cast<QAbstractButton *>(m_ui->importFromFileBtn),
                                  static_cast<QAbstractButton *>(m_ui->importFromTextBtn)})
        connect(mode, &QAbstractButton::clicked, this,
                [this, mode] { importMethodChanged(mode->property("tag").toInt()); });
    connect(m_ui->browseBtn, &QPushButton::clicked, this, [this] { browseImportFileAction(); });
    connect(m_ui->pasteFromClipboardBtn, &QPushButton::clicked, this, [this] { pasetFromClipboardAction(); });
    connect(m_ui->importBtn, &QPushButton::clicked, this, [this] { importAction(); });
    connect(m_ui->cancelBtn, &QPushButton::clicked, this, [this] { cancelAction(); });
    awakeFromNib();
}

ImportFilesWindowController::~ImportFilesWindowController()
{
    m_delegate = nullptr;
}

void ImportFilesWindowController::awakeFromNib()
{
    const QColor controlText = palette().color(QPalette::Active, QPalette::ButtonText);
    setButtonKeyCharacter(m_ui->importFromFileBtn, tr("F", "access key of Import From File"), controlText, 2);
    setButtonKeyCharacter(m_ui->importFromTextBtn, tr("T", "access key of Import From Text"), controlText, 2);
    setButtonKeyCharacter(m_ui->pasteFromClipboardBtn, tr("p", "access key of Paste from Clipboard"),
                          controlText, 1);
    setButtonKeyCharacter(m_ui->importBtn, tr("i", "access key of Import"), controlText, 1);
    importMethodChanged(0);
}

void ImportFilesWindowController::showCount()
{
    m_ui->totalFilesFound->setText(tr("Total Files Found : %1").arg(m_files.size()));
}

void ImportFilesWindowController::resetView()
{
    m_ui->importFile->clear();
    m_ui->importText->clear();
    m_files.clear();
    showCount();
}

void ImportFilesWindowController::showSheet()
{
    open();
}

void ImportFilesWindowController::importMethodChanged(int tag)
{
    Ui::ImportFiles &ui = *m_ui;
    ui.importFile->setEnabled(false);
    ui.importFile->clear();
    // The text stays editable in both modes; its colours show which is active.
    QPalette textPalette = ui.importText->palette();
    textPalette.setColor(QPalette::Text, palette().color(QPalette::Disabled, QPalette::Text));
    textPalette.setColor(QPalette::Base, palette().color(QPalette::Active, QPalette::Window));
    ui.importText->setPalette(textPalette);
    ui.importText->clear();
    ui.browseBtn->setEnabled(false);
    ui.pasteFromClipboardBtn->setEnabled(false);
    ui.importFromFileBtn->setChecked(false);
    ui.importFromTextBtn->setChecked(false);

    if (tag == 0) {
        ui.importFile->setEnabled(true);
        ui.browseBtn->setEnabled(true);
        ui.importFromFileBtn->setChecked(true);
        ui.importFromFileBtn->setFocus(Qt::OtherFocusReason);
    } else if (tag == 1) {
        textPalette.setColor(QPalette::Text, palette().color(QPalette::Active, QPalette::Text));
        textPalette.setColor(QPalette::Base, palette().color(QPalette::Active, QPalette::Base));
        ui.importText->setPalette(textPalette);
        ui.pasteFromClipboardBtn->setEnabled(true);
        ui.importFromTextBtn->setChecked(true);
        ui.importFromTextBtn->setFocus(Qt::OtherFocusReason);
    }
}

int ImportFilesWindowController::importMethod() const
{
    if (m_ui->importFromFileBtn->isChecked())
        return 0;
    if (m_ui->importFromTextBtn->isChecked())
        return 1;
    return -1;
}

void ImportFilesWindowController::browseImportFileAction()
{
    openPanelDidEnd(m_chooser->chooseFile(this, tr("Select Text File To Import:"), {QStringLiteral("txt")}));
}

void ImportFilesWindowController::openPanelDidEnd(const QString &path)
{
    if (!path.isEmpty())
        m_ui->importFile->setText(path);
}

void ImportFilesWindowController::pasetFromClipboardAction()
{
    const QClipboard *clipboard = QGuiApplication::clipboard();
    const QString text = clipboard ? clipboard->text() : QString();
    if (text.isEmpty())
        return;
    parseText(text);
    QStringList paths;
    paths.reserve(m_files.size());
    for (const QUrl &url : std::as_const(m_files))
        paths.append(url.toLocalFile());
    m_ui->importText->setPlainText(paths.join(QLatin1Char('\n')));
}

void ImportFilesWindowController::parseFile(const QString &path)
{
    try {
        m_ui->importFile->setText(path);
        parseText(readImportFile(path).value_or(QString()));
    } catch (const std::exception &e) {
        logError(QStringLiteral("parseFile:"), reasonOf(e));
    }
}

void ImportFilesWindowController::parseText(const QString &text)
{
    try {
        m_files.clear();
        m_parsedText = text;
        m_files = parseImportText(text, m_allowedTypes.split(QLatin1Char(',')));
    } catch (const std::exception &e) {
        logError(QStringLiteral("parseText:"), reasonOf(e));
    }
    showCount();
}

void ImportFilesWindowController::importAction()
{
    // The fields hold their values as typed: there is no separate edit to end.
    Ui::ImportFiles &ui = *m_ui;
    const bool fromFile = ui.importFromFileBtn->isChecked();
    const bool fromText = ui.importFromTextBtn->isChecked();
    if (fromFile && ui.importFile->text().isEmpty()) {
        m_alerts->inform(this, tr("Please select file to import!"), QMessageBox::Warning);
        ui.browseBtn->setFocus(Qt::OtherFocusReason);
        return;
    }
    if (fromText && ui.importText->toPlainText().isEmpty()) {
        m_alerts->inform(this, tr("Please paste file(s) path to import!"), QMessageBox::Warning);
        ui.importText->setFocus(Qt::OtherFocusReason);
        return;
    }
    if (fromFile)
        parseFile(ui.importFile->text());
    if (fromText)
        parseText(ui.importText->toPlainText());
    if (m_files.isEmpty()) {
        m_alerts->inform(this, tr("No File(s) Found!"), QMessageBox::Warning);
        return;
    }
    if (m_delegate)
        m_delegate->ImportFilesWindowControllerDidFinish(this);
    QDialog::accept();
}

void ImportFilesWindowController::cancelAction()
{
    QDialog::reject();
}

std::optional<QString> ImportFilesWindowController::markKeyCharacter(const QString &title,
                                                                     const QString &keyChar, int occurrance)
{
    return lockleaf::markKeyCharacter(title, keyChar, occurrance);
}

void ImportFilesWindowController::setButtonKeyCharacter(QAbstractButton *button, const QString &keyChar,
                                                        const QColor &color, int occurrance)
{
    if (!button || keyChar.isEmpty() || !color.isValid())
        return;
    try {
        if (const std::optional<QString> marked = markKeyCharacter(button->text(), keyChar, occurrance))
            button->setText(*marked);
    } catch (const std::exception &e) {
        logError(QStringLiteral("setButtonKeyCharacter:keyChar:color:"), reasonOf(e));
    }
}

} // namespace lockleaf
