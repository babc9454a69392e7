#include "ui/dialogs/ImportFilesWindowController.h"

#include "model/ExportList.h"
#include "model/ImportList.h"
#include "platform/SystemLog.h"
#include "ui/AlertPresenter.h"
#include "ui/FileChooser.h"
#include "ui/KeyCharacter.h"

#include "ui_ImportFiles.h"

#include <QClipboard>
#include <QDir>
#include <QDropEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMimeData>
#include <QSet>

#include <algorithm>
#include <exception>

namespace lockleaf
{

namespace
{

QString reasonOf(const std::exception &e)
{
    return QString::fromLocal8Bit(e.what());
}

// The one local file a drag carries; "" for anything else (text, folders, several files).
QString droppedFile(const QMimeData *mime)
{
    if (!mime || !mime->hasUrls() || mime->urls().size() != 1)
        return {};
    const QString path = mime->urls().constFirst().toLocalFile();
    return !path.isEmpty() && QFileInfo(path).isFile() ? path : QString();
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
    // The fields would take a dropped file's name as text; the dialog reads the file.
    setAcceptDrops(true);
    for (QObject *target : {static_cast<QObject *>(this), static_cast<QObject *>(m_ui->importFile),
                            static_cast<QObject *>(m_ui->importText->viewport())})
        target->installEventFilter(this);
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
    QString count = tr("Total Files Found : %1").arg(m_files.size());
    const auto own = std::count_if(m_files.cbegin(), m_files.cend(), [this](const QUrl &url) {
        return m_passwords.entries.contains(url.toLocalFile());
    });
    if (own > 0)
        count += tr(", %n with own passwords", nullptr, int(own));
    m_ui->totalFilesFound->setText(count);
}

void ImportFilesWindowController::resetView()
{
    m_ui->importFile->clear();
    m_ui->importText->clear();
    m_files.clear();
    m_passwords = {};
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
    openPanelDidEnd(m_chooser->chooseFile(this, tr("Select Text File To Import:"),
                                          {QStringLiteral("txt"), QStringLiteral("tsv")}));
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
    if (!m_passwords.entries.isEmpty() || !m_passwords.problems.isEmpty()) {
        m_ui->importText->setPlainText(text);
        return;
    }
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
        const std::optional<QString> text = readImportFile(path);
        parseText(text.value_or(QString()));
        m_fileUnreadable = !text;
    } catch (const std::exception &e) {
        logError(QStringLiteral("parseFile:"), reasonOf(e));
    }
}

void ImportFilesWindowController::parseText(const QString &text)
{
    try {
        m_files.clear();
        m_passwords = {};
        m_fileUnreadable = false;
        // A saved export is a list of its files, not a password map.
        m_parsedText = exportedPaths(text).value_or(text);
        const QStringList types = m_allowedTypes.split(QLatin1Char(','));
        m_passwords = readImportedPasswords(m_parsedText, QDir::currentPath());
        // In line order, each file once: a map line's file where it has one (of
        // another type it is left for the review to report), a plain line's
        // as parseImportText takes it.
        QHash<int, QList<QUrl>> mapped;
        for (auto it = m_passwords.entries.cbegin(); it != m_passwords.entries.cend(); ++it)
            if (types.contains(importLineExtension(it.key()).toUpper()))
                mapped[it->line].append(QUrl::fromLocalFile(it.key()));
        const QStringList lines = m_passwords.plainText.split(QLatin1Char('\n'));
        QSet<QString> seen;
        for (qsizetype i = 0; i < lines.size(); ++i) {
            QString line = lines.at(i);
            if (line.endsWith(QLatin1Char('\r')))
                line.chop(1);
            const int number = int(i) + 1;
            for (const QUrl &url :
                 mapped.contains(number) ? mapped.value(number) : parseImportText(line, types))
                if (!seen.contains(url.toString())) {
                    seen.insert(url.toString());
                    m_files.append(url);
                }
        }
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
        QString message = tr("No File(s) Found!");
        // A map's lines say why; a spreadsheet's default export may not be UTF-8.
        if (fromFile && m_fileUnreadable)
            message += QStringLiteral("\n\n") + tr("The file cannot be read as UTF-8 text.");
        else if (!m_passwords.entries.isEmpty() || !m_passwords.problems.isEmpty())
            message += QStringLiteral("\n\n") + reviewImport(m_parsedText, m_files, m_passwords).message();
        m_alerts->inform(this, message, QMessageBox::Warning);
        return;
    }
    // Closed first: what the delegate reports is about the list, shown in full.
    QDialog::accept();
    if (m_delegate)
        m_delegate->ImportFilesWindowControllerDidFinish(this);
}

bool ImportFilesWindowController::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto *drag = static_cast<QDragMoveEvent *>(event);
        if (droppedFile(drag->mimeData()).isEmpty())
            break;
        drag->acceptProposedAction();
        return true;
    }
    case QEvent::Drop: {
        auto *drop = static_cast<QDropEvent *>(event);
        const QString path = droppedFile(drop->mimeData());
        if (path.isEmpty())
            break;
        drop->acceptProposedAction();
        importMethodChanged(0);
        parseFile(path);
        return true;
    }
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
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
