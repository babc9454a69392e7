// The settings pane: mode, passwords, permissions, output folder, the two-way
// ties between its controls and the settings, and showing / hiding the pane.

#include "ui/LockleafAppDelegate.h"

#include "model/PDFSettings.h"
#include "model/Settings.h"
#include "platform/SystemLog.h"
#include "ui/FileChooser.h"
#include "ui/KeyCharacter.h"

#include "ui_MainWindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLayout>
#include <QLineEdit>
#include <QMainWindow>
#include <QSettings>

#include <exception>

namespace lockleaf
{

namespace
{

// A text field edits a string field: typing writes it at once, and a change made
// elsewhere (loading, the gathering task, a run) shows in the field. Change
// signals from another thread arrive queued, on the main thread.
template <typename Obj>
void bindText(QLineEdit *field, Obj *obj, QString (Obj::*get)() const, void (Obj::*set)(const QString &),
              void (Obj::*changed)())
{
    field->setText((obj->*get)());
    QObject::connect(field, &QLineEdit::textEdited, obj,
                     [obj, set](const QString &text) { (obj->*set)(text); });
    QObject::connect(obj, changed, field, [field, obj, get] {
        const QString value = (obj->*get)();
        if (field->text() != value)
            field->setText(value);
    });
}

// `clicked` fires for user changes only, so a change shown from the settings
// never writes back.
template <typename Obj>
void bindCheck(QAbstractButton *box, Obj *obj, bool (Obj::*get)() const, void (Obj::*set)(bool),
               void (Obj::*changed)())
{
    box->setChecked((obj->*get)());
    QObject::connect(box, &QAbstractButton::clicked, obj, [obj, set](bool on) { (obj->*set)(on); });
    QObject::connect(obj, changed, box, [box, obj, get] { box->setChecked((obj->*get)()); });
}

void bindIndex(QComboBox *popup, PDFSettings *obj)
{
    popup->setCurrentIndex(obj->encryptionStrength());
    QObject::connect(popup, &QComboBox::activated, obj,
                     [obj](int index) { obj->setEncryptionStrength(index); });
    QObject::connect(obj, &PDFSettings::encryptionStrengthChanged, popup,
                     [popup, obj] { popup->setCurrentIndex(obj->encryptionStrength()); });
}

} // namespace

void LockleafAppDelegate::bindOptionControls()
{
    Ui::MainWindow &ui = *m_ui;
    Settings *s = m_settings.get();
    PDFSettings *pdf = s->pdfSettings();

    bindText(ui.unsecurePermissionPasswordText, s, &Settings::pdfOpenPassword, &Settings::setPdfOpenPassword,
             &Settings::pdfOpenPasswordChanged);
    bindText(ui.openPasswordText, pdf, &PDFSettings::pdfOpenPassword, &PDFSettings::setPdfOpenPassword,
             &PDFSettings::pdfOpenPasswordChanged);
    bindText(ui.securePermissionPasswordText, pdf, &PDFSettings::pdfPermissionPassword,
             &PDFSettings::setPdfPermissionPassword, &PDFSettings::pdfPermissionPasswordChanged);
    bindIndex(ui.encryptionStrengthPopup, pdf);
    bindCheck(ui.printDocumentCheckbox, pdf, &PDFSettings::canPrint, &PDFSettings::setCanPrint,
              &PDFSettings::canPrintChanged);
    bindCheck(ui.copyTextAndGraphicsCheckbox, pdf, &PDFSettings::canCopy, &PDFSettings::setCanCopy,
              &PDFSettings::canCopyChanged);

    bindText(ui.outputFolderPath, s, &Settings::outputFolderPath, &Settings::setOutputFolderPath,
             &Settings::outputFolderPathChanged);
    bindCheck(ui.setCurrentAsDefaultOutputFolderPathBtn, s, &Settings::isSetCurrentAsDefaultOutputFolderPath,
              &Settings::setIsSetCurrentAsDefaultOutputFolderPath,
              &Settings::isSetCurrentAsDefaultOutputFolderPathChanged);
    bindCheck(ui.openFolderAfterConversionBtn, s, &Settings::isOpenFolderAfterConversion,
              &Settings::setIsOpenFolderAfterConversion, &Settings::isOpenFolderAfterConversionChanged);
    bindCheck(ui.backupFileCheckbox, s, &Settings::isBackupFile, &Settings::setIsBackupFile,
              &Settings::isBackupFileChanged);
    bindCheck(ui.clearProcessedFilesCheckbox, s, &Settings::isClearProcessedFiles,
              &Settings::setIsClearProcessedFiles, &Settings::isClearProcessedFilesChanged);
    bindCheck(ui.autoAddPasswordCheckbox, s, &Settings::isAutoAddCorrectPasswordToPasswordList,
              &Settings::setIsAutoAddCorrectPasswordToPasswordList,
              &Settings::isAutoAddCorrectPasswordToPasswordListChanged);

    ui.inculdeSubfoldersBtn->setChecked(inculdeSubfolders());
}

void LockleafAppDelegate::observeSettings()
{
    connect(m_settings.get(), &Settings::outputFolderPathChanged, this,
            &LockleafAppDelegate::onOutputFolderPathChanged);
    connect(m_settings->pdfSettings(), &PDFSettings::pdfPermissionPasswordChanged, this,
            &LockleafAppDelegate::onPermissionPasswordChanged);
    // The mode may also change by loading settings; the radio buttons follow.
    connect(m_settings.get(), &Settings::securityTypeChanged, this, &LockleafAppDelegate::setSecurityOptions);
}

void LockleafAppDelegate::onOutputFolderPathChanged()
{
    const bool hasFolder = !m_settings->outputFolderPath().isEmpty();
    if (!hasFolder)
        m_settings->setIsSetCurrentAsDefaultOutputFolderPath(false);
    m_ui->setCurrentAsDefaultOutputFolderPathBtn->setEnabled(hasFolder);
    m_ui->openFolderAfterConversionBtn->setEnabled(hasFolder);
}

void LockleafAppDelegate::onPermissionPasswordChanged()
{
    PDFSettings *pdf = m_settings->pdfSettings();
    pdf->setIsSecuredPDF(!pdf->pdfPermissionPassword().isEmpty());
}

void LockleafAppDelegate::securityAction(int tag)
{
    m_settings->setSecurityType(tag);
    setSecurityOptions();
}

void LockleafAppDelegate::chooseOutputFolder()
{
    const QString folder = m_fileChooser->chooseFolder(m_window, QStringLiteral("Select Output Folder:"));
    if (folder.isEmpty())
        return;
    m_settings->setOutputFolderPath(folder);
    m_settings->synchronize();
}

void LockleafAppDelegate::showSettings(bool show)
{
    try {
        (show ? m_ui->preferencesToolbarItem : m_ui->dummyToolbarItem)->setChecked(true);
        m_ui->rightBox->setVisible(show);
        // The file-list box takes the freed width (window width less 5) or gives
        // the pane its width plus 9; the central layout's margins and spacing
        // make those sums, and activating it applies them now.
        if (QLayout *layout = m_window->centralWidget()->layout()) {
            layout->invalidate();
            layout->activate();
        }
    } catch (const std::exception &e) {
        logError(QStringLiteral("showSettings:"), QString::fromLocal8Bit(e.what()));
    }
}

void LockleafAppDelegate::toggleSettings()
{
    m_showSettings = !m_showSettings;
    Settings::openStore()->setValue(QLatin1String(kShowSettingsKey), m_showSettings);
    showSettings(m_showSettings);
}

bool LockleafAppDelegate::inculdeSubfolders() const
{
    return Settings::openStore()->value(QLatin1String(kIncludeSubfoldersKey), false).toBool();
}

void LockleafAppDelegate::setInculdeSubfolders(bool include)
{
    std::unique_ptr<QSettings> store = Settings::openStore();
    store->setValue(QLatin1String(kIncludeSubfoldersKey), include);
    store->sync();
}

std::optional<QString> LockleafAppDelegate::markKeyCharacter(const QString &title, const QString &keyChar)
{
    return lockleaf::markKeyCharacter(title, keyChar);
}

void LockleafAppDelegate::setButtonKeyCharacter(QAbstractButton *button, const QString &keyChar,
                                                const QColor &color)
{
    if (!button || keyChar.isEmpty() || !color.isValid())
        return;
    try {
        // Qt draws the mnemonic's underline in the button's own text colour.
        if (const std::optional<QString> marked = markKeyCharacter(button->text(), keyChar))
            button->setText(*marked);
    } catch (const std::exception &e) {
        logError(QStringLiteral("setButtonKeyCharacter:keyChar:color:"), QString::fromLocal8Bit(e.what()));
    }
}

std::optional<QString> LockleafAppDelegate::numericFieldText(const QString &text, int tag)
{
    if (tag != 30001 && tag != 30002)
        return std::nullopt;
    const QString fallback = tag == 30001 ? QStringLiteral("2") : QStringLiteral("1");
    if (text.isEmpty())
        return fallback;
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && !text.at(first).isDigit())
        ++first;
    while (last > first && !text.at(last - 1).isDigit())
        --last;
    const QString kept = text.mid(first, last - first);
    // Its integer value is that of its leading ASCII digits (so "1a2" counts as 1).
    bool nonZero = false;
    for (const QChar c : kept) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            break;
        if (c != QLatin1Char('0')) {
            nonZero = true;
            break;
        }
    }
    return nonZero ? kept : fallback;
}

void LockleafAppDelegate::controlTextDidChange(QLineEdit *field)
{
    if (!field)
        return;
    const std::optional<QString> text = numericFieldText(field->text(), tagOf(field));
    if (!text)
        return;
    if (field->text() != *text)
        field->setText(*text);
    // Typing goes on in the same field.
    field->setFocus(Qt::OtherFocusReason);
}

} // namespace lockleaf
