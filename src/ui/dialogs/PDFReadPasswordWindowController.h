#pragma once

#include <QDialog>
#include <QString>

#include <memory>

namespace Ui
{
class PDFReadPassword;
} // namespace Ui

namespace lockleaf
{

class PDFReadPasswordWindowController;

// Told when the user applies the password. Main thread.
class PDFReadPasswordWindowControllerDelegate
{
public:
    virtual ~PDFReadPasswordWindowControllerDelegate() = default;
    virtual void PDFReadPasswordWindowControllerDidFinish(PDFReadPasswordWindowController *controller) = 0;
};

// Asks for one open password (layout "PDFReadPassword"). The field is masked
// unless "Show password" is ticked.
//
// The dialog is a child of `parent` (its owner): it is created once, hidden
// when it closes, and deleted with the parent. Shown window-modal on the
// parent with showSheet(). The delegate is not owned and is told only by
// applyAction(); Cancel, Escape and the close box tell nobody. Main thread only.
class PDFReadPasswordWindowController final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PDFReadPasswordWindowController)

public:
    explicit PDFReadPasswordWindowController(QWidget *parent);
    ~PDFReadPasswordWindowController() override;

    PDFReadPasswordWindowControllerDelegate *delegate() const { return m_delegate; }
    void setDelegate(PDFReadPasswordWindowControllerDelegate *delegate) { m_delegate = delegate; }

    // The password shown in the field; "" after creation.
    QString pdfReadPassword() const { return m_pdfReadPassword; }
    void setPdfReadPassword(const QString &password);

    // Shows the dialog window-modal on its parent and returns at once.
    void showSheet();

    // Stores the field's text, tells the delegate, then hides the dialog.
    void applyAction();
    // Stores the field's text and hides the dialog; the delegate is not told.
    void cancelAction();

    void reject() override { cancelAction(); }

private:
    void commitEditing();

    std::unique_ptr<Ui::PDFReadPassword> m_ui;
    PDFReadPasswordWindowControllerDelegate *m_delegate = nullptr;
    QString m_pdfReadPassword{QStringLiteral("")};
};

} // namespace lockleaf
