#include "ui/OptionsPanel.h"

#include "model/PDFSettings.h"
#include "model/Settings.h"
#include "platform/SystemLog.h"
#include "ui/ControlBinding.h"
#include "ui/FileChooser.h"
#include "ui/KeyCharacter.h"
#include "ui/MorePermissions.h"
#include "ui/WindowState.h"

#include "ui_MainWindow.h"

#include <QActionGroup>
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

int tagOf(const QObject *sender)
{
    const QVariant tag = sender ? sender->property("tag") : QVariant();
    return tag.isValid() ? tag.toInt() : -1;
}

// The pop-up's index is the stored encryptionStrength, so the items keep this
// order; the list is made here, beside its binding, and replaces the form's.
void fillKeyLengths(QComboBox *popup)
{
    popup->clear();
    // Short enough to show whole when closed in the pane's width; the rest of
    // what the weak key means is the item's tip.
    popup->addItems({OptionsPanel::tr("40-bit key (RC4, weak)"), OptionsPanel::tr("128-bit key (AES)"),
                     OptionsPanel::tr("256-bit key (AES)")});
    popup->setItemData(0, OptionsPanel::tr("Weak: only for very old PDF readers"), Qt::ToolTipRole);
}

// A value no item stands for (written by hand or by a later build) is written
// with a 128-bit key, so it shows as that item rather than as a blank pop-up.
int keyLengthIndex(int strength)
{
    switch (keyLengthForStrength(strength)) {
    case 40:
        return 0;
    case 256:
        return 2;
    default:
        return 1;
    }
}

void bindIndex(QComboBox *popup, PDFSettings *obj)
{
    fillKeyLengths(popup);
    // The pane may cut the longest item; its whole text stays at hand.
    QObject::connect(popup, &QComboBox::currentTextChanged, popup, &QWidget::setToolTip);
    popup->setCurrentIndex(keyLengthIndex(obj->encryptionStrength()));
    QObject::connect(popup, &QComboBox::activated, obj,
                     [obj](int index) { obj->setEncryptionStrength(index); });
    QObject::connect(obj, &PDFSettings::encryptionStrengthChanged, popup,
                     [popup, obj] { popup->setCurrentIndex(keyLengthIndex(obj->encryptionStrength())); });
}

} // namespace

OptionsPanel::OptionsPanel(Ui::MainWindow &ui, Settings *settings, WindowState *state, FileChooser *chooser,
                           QObject *parent)
    : QObject(parent), m_settings(settings), m_state(state), m_chooser(chooser),
      m_window(ui.centralWidget->window()), m_formMinimumSize(m_window->minimumSize()),
      m_centralWidget(ui.centralWidget), m_rightBox(ui.rightBox), m_settingTabView(ui.settingTabView),
      m_preferencesToolbarItem(ui.preferencesToolbarItem), m_dummyToolbarItem(ui.dummyToolbarItem),
      m_unsecureOptionButton(ui.unsecureOptionButton), m_secureOptionButton(ui.secureOptionButton),
      m_openPasswordText(ui.openPasswordText), m_outputFolderPath(ui.outputFolderPath),
      m_keepOutputFolderBtn(ui.setCurrentAsDefaultOutputFolderPathBtn),
      m_openFolderAfterBtn(ui.openFolderAfterConversionBtn),
      m_removeModeControls{ui.unsecurePermissionPasswordLabel, ui.unsecurePermissionPasswordText},
      m_addModeControls{
          ui.encryptionStrengthLabel, ui.openPasswordLabel,          ui.securePermissionPasswordLabel,
          ui.encryptionStrengthPopup, ui.openPasswordText,           ui.securePermissionPasswordText,
          ui.printDocumentCheckbox,   ui.copyTextAndGraphicsCheckbox}
{
    for (QAbstractButton *radio : {static_cast<QAbstractButton *>(ui.unsecureOptionButton),
                                   static_cast<QAbstractButton *>(ui.secureOptionButton)})
        connect(radio, &QAbstractButton::clicked, this, [this, radio] { securityAction(tagOf(radio)); });
    connect(ui.chooseOutputFolderButton, &QPushButton::clicked, this, [this] { chooseOutputFolder(); });
    // The toolbar shows the settings item selected while the pane is shown, the
    // invisible dummy item while it is hidden.
    auto *paneGroup = new QActionGroup(this);
    paneGroup->addAction(ui.preferencesToolbarItem);
    paneGroup->addAction(ui.dummyToolbarItem);
    connect(ui.preferencesToolbarItem, &QAction::triggered, this, [this] { toggleSettings(); });
    // Any text field may carry a numeric tag; only those are touched.
    const QList<QLineEdit *> fields = m_window->findChildren<QLineEdit *>();
    for (QLineEdit *field : fields)
        connect(field, &QLineEdit::textEdited, this, [this, field] { controlTextDidChange(field); });

    {
        std::unique_ptr<QSettings> store = Settings::openStore();
        if (store->contains(QLatin1String(kShowSettingsKey))) {
            m_showSettings = store->value(QLatin1String(kShowSettingsKey)).toBool();
        } else {
            m_showSettings = true;
            store->setValue(QLatin1String(kShowSettingsKey), true);
        }
    }
    showSettings(m_showSettings);
    ui.settingTabView->setCurrentIndex(0);
    bindOptionControls(ui);
    // The two rows under the copy box.
    m_morePermissions =
        new MorePermissions(ui.modeGrid, 9, ui.copyTextAndGraphicsCheckbox, settings->pdfSettings(), this);
    // Under both modes: removing security rewrites a signed file just the same.
    auto *rewriteSigned = new QCheckBox(tr("Rewrite signed documents"), ui.modeGrid->parentWidget());
    rewriteSigned->setObjectName(QStringLiteral("rewriteSignedCheckbox"));
    rewriteSigned->setToolTip(
        tr("Off: digitally signed files are skipped. On: they are written too, and their signatures become "
           "invalid"));
    ui.modeGrid->addWidget(rewriteSigned, 11, 0, 1, 3);
    bindCheck(rewriteSigned, settings->pdfSettings(), &PDFSettings::rewriteSignedDocuments,
              &PDFSettings::setRewriteSignedDocuments, &PDFSettings::rewriteSignedDocumentsChanged);
    fitPaneWidth();
    observeSettings();
    // The output options follow the folder from the start, not only from its first change.
    onOutputFolderPathChanged();
}

OptionsPanel::~OptionsPanel() = default;

void OptionsPanel::bindOptionControls(Ui::MainWindow &ui)
{
    Settings *s = m_settings;
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
}

void OptionsPanel::observeSettings()
{
    connect(m_settings, &Settings::outputFolderPathChanged, this, &OptionsPanel::onOutputFolderPathChanged);
    // The permission password alone decides whether the written file is secured.
    PDFSettings *pdf = m_settings->pdfSettings();
    connect(pdf, &PDFSettings::pdfPermissionPasswordChanged, this,
            [pdf] { pdf->setIsSecuredPDF(!pdf->pdfPermissionPassword().isEmpty()); });
    // The mode may also change by loading settings; the radio buttons follow.
    connect(m_settings, &Settings::securityTypeChanged, this, &OptionsPanel::setSecurityOptions);
}

void OptionsPanel::fitPaneWidth()
{
    // The form fixes the pane's width; it grows only when a title in the user's
    // font would be cut, measured with the disclosure open (a hidden group
    // takes no room in the layout).
    const bool open = m_morePermissions->isOpen();
    m_morePermissions->setOpen(true);
    // The pane's own layout still holds the tabs' size from before the
    // disclosure was made, so the tabs are asked directly.
    int needed = m_settingTabView->minimumSizeHint().width();
    if (const QLayout *layout = m_rightBox->layout())
        needed += layout->contentsMargins().left() + layout->contentsMargins().right();
    m_morePermissions->setOpen(open);
    if (needed > m_rightBox->minimumWidth())
        m_rightBox->setFixedWidth(needed);
}

void OptionsPanel::fitWindowMinimum()
{
    // The form's smallest size suits the English titles; a language with longer
    // ones gets the room they need rather than cut titles. Showing or hiding
    // the pane changes what that is. Sizes are final once the window is shown.
    if (!m_window->isVisible())
        return;
    m_window->setMinimumSize(m_formMinimumSize.expandedTo(m_window->minimumSizeHint()));
}

void OptionsPanel::onOutputFolderPathChanged()
{
    const bool hasFolder = !m_settings->outputFolderPath().isEmpty();
    if (!hasFolder)
        m_settings->setIsSetCurrentAsDefaultOutputFolderPath(false);
    m_keepOutputFolderBtn->setEnabled(hasFolder);
    m_openFolderAfterBtn->setEnabled(hasFolder);
}

void OptionsPanel::resetView(bool enable)
{
    // While a run or a gathering reads the settings the pane looks as it
    // acts: disabled. Each control keeps its own state for when it returns.
    m_settingTabView->setEnabled(enable);
    onOutputFolderPathChanged();
}

void OptionsPanel::securityAction(int tag)
{
    m_settings->setSecurityType(tag);
    setSecurityOptions();
}

void OptionsPanel::setSecurityOptions()
{
    try {
        const int type = m_settings->securityType();
        if (type == 0 || type == 1) {
            const bool adding = type == 1;
            m_unsecureOptionButton->setChecked(!adding);
            m_secureOptionButton->setChecked(adding);
            // A disabled label is drawn in the disabled-control text colour.
            for (QWidget *w : std::as_const(m_removeModeControls))
                w->setEnabled(!adding);
            for (QWidget *w : std::as_const(m_addModeControls))
                w->setEnabled(adding);
            m_morePermissions->setAddMode(adding);
        }
    } catch (const std::exception &e) {
        logError(QStringLiteral("setSecurityOptions"), QString::fromLocal8Bit(e.what()));
    }
    m_state->updateTotalLabel();
}

void OptionsPanel::showSettingsTab(int index)
{
    m_settingTabView->setCurrentIndex(index);
    if (!m_showSettings)
        toggleSettings();
}

void OptionsPanel::showOutputFolderProblem()
{
    showSettingsTab(1);
    QWidget *field = m_outputFolderPath;
    QWidget *next = field->nextInFocusChain();
    while (next && next != field &&
           !(next->isVisible() && next->isEnabled() && (next->focusPolicy() & Qt::TabFocus)))
        next = next->nextInFocusChain();
    (next ? next : field)->setFocus(Qt::OtherFocusReason);
}

void OptionsPanel::showPasswordProblem()
{
    showSettingsTab(0);
    m_openPasswordText->setFocus(Qt::OtherFocusReason);
}

void OptionsPanel::selectSecurityTab()
{
    m_settingTabView->setCurrentIndex(0);
}

void OptionsPanel::chooseOutputFolder()
{
    const QString folder = m_chooser->chooseFolder(m_window, tr("Select Output Folder:"));
    if (folder.isEmpty())
        return;
    m_settings->setOutputFolderPath(folder);
    m_settings->synchronize();
}

void OptionsPanel::showSettings(bool show)
{
    try {
        (show ? m_preferencesToolbarItem : m_dummyToolbarItem)->setChecked(true);
        m_rightBox->setVisible(show);
        // The file-list box takes the freed width (window width less 5) or gives
        // the pane its width plus 9; the central layout's margins and spacing
        // make those sums, and activating it applies them now.
        if (QLayout *layout = m_centralWidget->layout()) {
            layout->invalidate();
            layout->activate();
        }
        fitWindowMinimum();
    } catch (const std::exception &e) {
        logError(QStringLiteral("showSettings:"), QString::fromLocal8Bit(e.what()));
    }
}

void OptionsPanel::toggleSettings()
{
    m_showSettings = !m_showSettings;
    Settings::openStore()->setValue(QLatin1String(kShowSettingsKey), m_showSettings);
    showSettings(m_showSettings);
}

std::optional<QString> OptionsPanel::markKeyCharacter(const QString &title, const QString &keyChar)
{
    return lockleaf::markKeyCharacter(title, keyChar);
}

void OptionsPanel::setButtonKeyCharacter(QAbstractButton *button, const QString &keyChar, const QColor &color)
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

std::optional<QString> OptionsPanel::numericFieldText(const QString &text, int tag)
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

void OptionsPanel::controlTextDidChange(QLineEdit *field)
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
