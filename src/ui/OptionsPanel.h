#pragma once

#include <QColor>
#include <QList>
#include <QObject>
#include <QSize>
#include <QString>

#include <optional>

class QAbstractButton;
class QAction;
class QLineEdit;
class QTabWidget;
class QWidget;

namespace Ui
{
class MainWindow;
} // namespace Ui

namespace lockleaf
{

class FileChooser;
class MorePermissions;
class Settings;
class WindowState;

// Per-user store key of the settings pane (beside the settings record's
// "SETTINGS"): absent means true, and true is written at the first start.
inline constexpr char kShowSettingsKey[] = "SHOWSETTINGS";

// The security options panel: the settings pane with its mode, password,
// permission and output controls, each tied both ways to its field of the
// Settings / PDFSettings (typing writes at once; a change made elsewhere, also
// on another thread, shows in the control), and showing or hiding the pane.
//
// Owns the pane's widgets and the toolbar's show/hide items; the settings are
// not owned (the window's one record). It calls WindowState::updateTotalLabel
// after showing a mode. The run asks it to bring a control to fix into view
// (showOutputFolderProblem, showPasswordProblem). Main thread only.
class OptionsPanel final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(OptionsPanel)

public:
    // Binds the controls to `settings` and reads whether the pane is shown
    // (showing it accordingly). Every text field of the window gets the
    // numeric-field rule. None of the pointers is owned.
    OptionsPanel(Ui::MainWindow &ui, Settings *settings, WindowState *state, FileChooser *chooser,
                 QObject *parent = nullptr);
    ~OptionsPanel() override;

    // Tag 0 removes security, 1 adds it.
    void securityAction(int tag);
    void chooseOutputFolder();
    // Shows or hides the pane without remembering it.
    void showSettings(bool show);
    // Flips the pane and remembers it under "SHOWSETTINGS".
    void toggleSettings();
    bool isShowSettings() const { return m_showSettings; }
    // The radio buttons and the enabled controls follow the mode; then the totals.
    void setSecurityOptions();

    // The rule of the numeric fields (dynamic property "tag" 30001 or 30002).
    void controlTextDidChange(QLineEdit *field);
    // What such a field's text becomes; nullopt for other tags.
    static std::optional<QString> numericFieldText(const QString &text, int tag);
    // Marks the first case-insensitive occurrence of `keyChar` in the button's
    // title as its keyboard mnemonic. Nothing happens for a null button, an
    // empty character, an invalid colour or a character not in the title.
    static void setButtonKeyCharacter(QAbstractButton *button, const QString &keyChar, const QColor &color);
    // The title with its mnemonic at the first case-insensitive `keyChar`
    // (existing mnemonics removed); nullopt when the character is not there.
    static std::optional<QString> markKeyCharacter(const QString &title, const QString &keyChar);

    // For the checks before a run: the pane shown on the output tab with the
    // focus on the control after the output folder field ("Choose...").
    void showOutputFolderProblem();
    // The pane shown on the security tab with the focus on the open password.
    void showPasswordProblem();
    // The security tab in front (the pane stays as it is).
    void selectSecurityTab();

    // This part's share of the enabling rule: the pane follows `enable`, the
    // output options need a folder too.
    void resetView(bool enable);
    // Grows the shown window's smallest size to what its titles need (a
    // language with longer ones than the form's English), never below the
    // form's own; again each time the pane is shown or hidden.
    void fitWindowMinimum();

private:
    void bindOptionControls(Ui::MainWindow &ui);
    void observeSettings();
    void fitPaneWidth();
    void onOutputFolderPathChanged();
    void showSettingsTab(int index);

    Settings *m_settings;
    WindowState *m_state;
    FileChooser *m_chooser;
    QWidget *m_window;
    QSize m_formMinimumSize; // the window's smallest size in the form
    QWidget *m_centralWidget;
    QWidget *m_rightBox;
    QTabWidget *m_settingTabView;
    QAction *m_preferencesToolbarItem;
    QAction *m_dummyToolbarItem;
    QAbstractButton *m_unsecureOptionButton;
    QAbstractButton *m_secureOptionButton;
    QLineEdit *m_openPasswordText;
    QLineEdit *m_outputFolderPath;
    QAbstractButton *m_keepOutputFolderBtn;
    QAbstractButton *m_openFolderAfterBtn;
    QList<QWidget *> m_removeModeControls;
    QList<QWidget *> m_addModeControls;
    MorePermissions *m_morePermissions = nullptr; // a child
    bool m_showSettings = true;
};

} // namespace lockleaf
