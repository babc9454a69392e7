#pragma once

#include "ui/ImportReview.h"

#include <QColor>
#include <QDialog>
#include <QList>
#include <QString>
#include <QUrl>

#include <memory>
#include <optional>

class QAbstractButton;

namespace Ui
{
class ImportFiles;
} // namespace Ui

namespace lockleaf
{

class AlertPresenter;
class FileChooser;
class ImportFilesWindowController;

// Told when an import produced at least one URL. Main thread.
class ImportFilesWindowControllerDelegate
{
public:
    virtual ~ImportFilesWindowControllerDelegate() = default;
    virtual void ImportFilesWindowControllerDidFinish(ImportFilesWindowController *controller) = 0;
};

// Turns a list of paths into file URLs to add (layout "ImportFiles"): either a
// text file chosen (or dropped on the dialog) in the from-file mode (tag 0) or
// text typed or pasted in the from-text mode (tag 1). parseImportText() decides
// which plain lines are taken; lines holding a tab are a password map's
// (readImportedPasswords), whose PDF files are taken with their passwords.
//
// The dialog is a child of `parent` (its owner), created once, hidden when it
// closes and deleted with the parent; the mode stays from one showing to the
// next. The delegate (not owned) is told only by importAction() with a
// non-empty result; Cancel, Escape and the close box tell nobody. `alerts` and
// `chooser` (not owned; plain ones of its own when null) must outlive the
// dialog. Main thread only.
class ImportFilesWindowController final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ImportFilesWindowController)

public:
    ImportFilesWindowController(QWidget *parent, AlertPresenter *alerts, FileChooser *chooser);
    ~ImportFilesWindowController() override;

    ImportFilesWindowControllerDelegate *delegate() const { return m_delegate; }
    void setDelegate(ImportFilesWindowControllerDelegate *delegate) { m_delegate = delegate; }

    // Accepted extensions joined by commas ("pdf,PDF"); "" after creation.
    QString allowedTypes() const { return m_allowedTypes; }
    void setAllowedTypes(const QString &types) { m_allowedTypes = types; }

    // The result of the last parse: the plain lines' files, then the map's.
    const QList<QUrl> &files() const { return m_files; }
    // The map lines of the last parse.
    const ImportedPasswords &passwords() const { return m_passwords; }
    // The text the last parse read (the file's or the typed one).
    const QString &parsedText() const { return m_parsedText; }

    // Clears the path field, the text and the result; the count shows 0.
    void resetView();
    // Shows the dialog window-modal on its parent and returns at once.
    void showSheet();

    // 0 from file, 1 from text; any other tag turns both modes off.
    void importMethodChanged(int tag);
    // The tag of the mode that is on, or -1 for none.
    int importMethod() const;

    // Asks for a .txt file; its path goes into the path field.
    void browseImportFileAction();
    // Completion of the file panel: a null path means Cancel.
    void openPanelDidEnd(const QString &path);
    // Parses the clipboard's text and shows only the accepted paths; text with
    // map lines is shown as it is, so the lines keep their numbers.
    void pasetFromClipboardAction();

    // Shows `path` in the path field and parses the file's UTF-8 text; an
    // unreadable or non-UTF-8 file parses as empty text.
    void parseFile(const QString &path);
    // Replaces the result with the accepted URLs of `text` and shows the count.
    void parseText(const QString &text);

    // Checks the input, parses it, hides the dialog and hands a non-empty
    // result to the delegate. Otherwise an alert (with the map lines not
    // taken, or a file that is not UTF-8); the dialog stays.
    void importAction();
    // Hides the dialog; the delegate is not told.
    void cancelAction();

    void reject() override { cancelAction(); }

    // Gives the button a keyboard mnemonic on `keyChar`: occurrence 1 is its
    // first match in any letter case, any other occurrence its last exact
    // match. Nothing happens for a null button, an empty character, an invalid
    // colour or a character not in the title.
    static void setButtonKeyCharacter(QAbstractButton *button, const QString &keyChar, const QColor &color,
                                      int occurrance);
    // The title with that mnemonic (older ones removed); nullopt when not found.
    static std::optional<QString> markKeyCharacter(const QString &title, const QString &keyChar,
                                                   int occurrance);

protected:
    // A text file dropped on the dialog is imported from file.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void awakeFromNib();
    void showCount();

    std::unique_ptr<Ui::ImportFiles> m_ui;
    ImportFilesWindowControllerDelegate *m_delegate = nullptr;
    std::unique_ptr<AlertPresenter> m_ownAlerts;
    std::unique_ptr<FileChooser> m_ownChooser;
    AlertPresenter *m_alerts = nullptr;
    FileChooser *m_chooser = nullptr;
    QString m_allowedTypes{QStringLiteral("")};
    QList<QUrl> m_files;
    ImportedPasswords m_passwords;
    QString m_parsedText;
    bool m_fileUnreadable = false; // the last file parsed was not UTF-8 text
};

} // namespace lockleaf
