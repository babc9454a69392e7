#include "ui/dialogs/PasswordListWindowController.h"

#include "ui/AlertPresenter.h"

#include "ui_PasswordListEditor.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QFont>
#include <QHeaderView>
#include <QLineEdit>
#include <QPointer>
#include <QStyledItemDelegate>

namespace lockleaf
{

// The table's rows over the working copy. Shows a fixed mask while masked, so
// not even a password's length shows; the editor always gets the real text.
class PasswordListWindowController::Model final : public QAbstractTableModel
{
public:
    Model(QStringList &passwords, QObject *parent) : QAbstractTableModel(parent), m_passwords(passwords) {}

    bool isMasked() const { return m_masked; }
    void setMasked(bool masked)
    {
        m_masked = masked;
        if (!m_passwords.isEmpty())
            Q_EMIT dataChanged(index(0, 0), index(rowCount() - 1, 0), {Qt::DisplayRole});
    }
    void reload()
    {
        beginResetModel();
        endResetModel();
    }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override
    {
        return parent.isValid() ? 0 : int(m_passwords.size());
    }
    int columnCount(const QModelIndex &parent = QModelIndex()) const override
    {
        return parent.isValid() ? 0 : 1;
    }

    QVariant data(const QModelIndex &index, int role) const override
    {
        if (!index.isValid() || index.row() >= m_passwords.size())
            return {};
        const QString &value = m_passwords.at(index.row());
        if (role == Qt::EditRole)
            return value;
        // An empty entry is a real password (the empty one); say so rather than show a blank row.
        if (value.isEmpty() &&
            (role == Qt::DisplayRole || role == Qt::FontRole || role == Qt::ForegroundRole)) {
            if (role == Qt::DisplayRole)
                return PasswordListWindowController::tr("(empty password)");
            if (role == Qt::ForegroundRole)
                return QApplication::palette().brush(QPalette::Disabled, QPalette::Text);
            QFont italic;
            italic.setItalic(true);
            return italic;
        }
        if (role == Qt::DisplayRole)
            return m_masked ? QStringLiteral("\u2022\u2022\u2022\u2022\u2022\u2022\u2022\u2022") : value;
        // Spoken instead of a row of bullets while masked.
        if (role == Qt::AccessibleTextRole)
            return value.isEmpty() ? PasswordListWindowController::tr("(empty password)")
                   : m_masked ? PasswordListWindowController::tr("Hidden password %1").arg(index.row() + 1)
                              : value;
        return {};
    }

    // Editing in place replaces the entry, as typed: no duplicate or empty check.
    bool setData(const QModelIndex &index, const QVariant &value, int role) override
    {
        if (role != Qt::EditRole || !index.isValid() || index.row() >= m_passwords.size())
            return false;
        m_passwords[index.row()] = value.toString();
        Q_EMIT dataChanged(index, index);
        return true;
    }

    Qt::ItemFlags flags(const QModelIndex &index) const override
    {
        return index.isValid() ? QAbstractTableModel::flags(index) | Qt::ItemIsEditable : Qt::NoItemFlags;
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation == Qt::Horizontal && section == 0 && role == Qt::DisplayRole)
            return PasswordListWindowController::tr("Password");
        return {};
    }

private:
    QStringList &m_passwords;
    bool m_masked = true;
};

// Gives the in-place editor the mask of the table and remembers it, so the
// confirming action can end the editing first.
class PasswordListWindowController::ItemDelegate final : public QStyledItemDelegate
{
public:
    ItemDelegate(const Model *model, QObject *parent) : QStyledItemDelegate(parent), m_model(model) {}

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override
    {
        QWidget *editor = QStyledItemDelegate::createEditor(parent, option, index);
        if (auto *field = qobject_cast<QLineEdit *>(editor))
            field->setEchoMode(m_model->isMasked() ? QLineEdit::Password : QLineEdit::Normal);
        m_editor = editor;
        return editor;
    }

    // Stores what is being typed and closes the editor; nothing when none is open.
    void commitOpenEditor()
    {
        if (QWidget *editor = m_editor.data()) {
            m_editor.clear();
            Q_EMIT commitData(editor);
            Q_EMIT closeEditor(editor, QAbstractItemDelegate::NoHint);
        }
    }

private:
    const Model *m_model;
    mutable QPointer<QWidget> m_editor;
};

PasswordListWindowController::PasswordListWindowController(QWidget *parent, AlertPresenter *alerts)
    : QDialog(parent), m_ui(std::make_unique<Ui::PasswordListEditor>()), m_alerts(alerts)
{
    if (!m_alerts) {
        m_ownAlerts = std::make_unique<AlertPresenter>();
        m_alerts = m_ownAlerts.get();
    }
    m_ui->setupUi(this);
    setWindowModality(Qt::WindowModal);
    m_model = new Model(m_passwords, this);
    m_itemDelegate = new ItemDelegate(m_model, this);
    m_ui->listValuesTableView->setModel(m_model);
    m_ui->listValuesTableView->setItemDelegate(m_itemDelegate);
    m_ui->listValuesTableView->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);

    connect(m_ui->addValueButton, &QPushButton::clicked, this, [this] { addValue(); });
    connect(m_ui->removeValueButton, &QPushButton::clicked, this, [this] { removeValue(); });
    connect(m_ui->clearButton, &QPushButton::clicked, this, [this] { resetValue(); });
    connect(m_ui->okButton, &QPushButton::clicked, this, [this] { actionOk(); });
    connect(m_ui->cancelButton, &QPushButton::clicked, this, [this] { actionCancel(); });
    connect(m_ui->showPasswordsCheckbox, &QCheckBox::toggled, this, [this](bool show) {
        m_itemDelegate->commitOpenEditor();
        m_model->setMasked(!show);
    });
    updateButtons();
}

PasswordListWindowController::~PasswordListWindowController()
{
    m_delegate = nullptr;
}

void PasswordListWindowController::setPasswords(const QStringList &passwords)
{
    m_passwords = passwords;
}

void PasswordListWindowController::setKeyringNotice(const QString &notice, bool sessionOnly)
{
    m_ui->keyringNoticeLabel->setText(notice);
    m_ui->keyringNoticeLabel->setVisible(!notice.isEmpty());
    m_ui->sessionOnlyCheckbox->setChecked(sessionOnly);
    m_ui->sessionOnlyCheckbox->setVisible(!notice.isEmpty());
}

bool PasswordListWindowController::sessionOnly() const
{
    return !m_ui->sessionOnlyCheckbox->isHidden() && m_ui->sessionOnlyCheckbox->isChecked();
}

void PasswordListWindowController::updateButtons()
{
    const bool any = !m_passwords.isEmpty();
    m_ui->removeValueButton->setEnabled(any);
    m_ui->clearButton->setEnabled(any);
}

void PasswordListWindowController::resetView()
{
    m_model->reload();
    updateButtons();
}

void PasswordListWindowController::showSheet()
{
    m_ui->showPasswordsCheckbox->setChecked(false);
    m_model->setMasked(true);
    open();
}

int PasswordListWindowController::highlightedRow() const
{
    const QModelIndexList rows = m_ui->listValuesTableView->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.constFirst().row();
}

void PasswordListWindowController::highlightRow(int row)
{
    QTableView *table = m_ui->listValuesTableView;
    if (row < 0 || row >= m_model->rowCount()) {
        table->clearSelection();
        return;
    }
    const QModelIndex index = m_model->index(row, 0);
    table->selectionModel()->setCurrentIndex(index,
                                             QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    table->scrollTo(index);
}

void PasswordListWindowController::addValue()
{
    if (!m_pdfReadPasswordPanel) {
        m_pdfReadPasswordPanel = new PDFReadPasswordWindowController(this);
        m_pdfReadPasswordPanel->setDelegate(this);
    }
    m_pdfReadPasswordPanel->setPdfReadPassword(QStringLiteral(""));
    m_pdfReadPasswordPanel->showSheet();
}

void PasswordListWindowController::PDFReadPasswordWindowControllerDidFinish(
    PDFReadPasswordWindowController *controller)
{
    if (!controller)
        return;
    const QString password = controller->pdfReadPassword();
    if (!m_passwords.contains(password)) {
        m_passwords.append(password);
        resetView();
    }
    highlightRow(int(m_passwords.indexOf(password)));
}

void PasswordListWindowController::removeValue()
{
    const int row = highlightedRow();
    if (row < 0 || row >= m_passwords.size())
        return;
    m_passwords.removeAt(row);
    resetView();
    if (row != 0)
        highlightRow(row - 1);
}

void PasswordListWindowController::resetValue()
{
    if (!m_alerts->confirm(this, tr("Are you sure to clear saved passwords list?")))
        return;
    m_passwords.clear();
    resetView();
}

void PasswordListWindowController::actionOk()
{
    m_itemDelegate->commitOpenEditor();
    if (m_delegate)
        m_delegate->PasswordListWindowControllerDelegateDidFinish(this);
    QDialog::accept();
}

void PasswordListWindowController::actionCancel()
{
    QDialog::reject();
}

} // namespace lockleaf
