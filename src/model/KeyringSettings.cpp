#include "model/KeyringSettings.h"

#include "model/Settings.h"
#include "platform/SystemLog.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QSettings>
#include <QTimer>

#include <memory>

namespace lockleaf
{

namespace
{

enum Kind { SavedList = 0, TypedOpen = 1, DocumentOpen = 2, DocumentPermission = 3 };

// Settings-store keys beside "SETTINGS"; no secret in either.
const QString kInKeyringKey = QStringLiteral("PASSWORDSINKEYRING");
const QString kSessionOnlyKey = QStringLiteral("KEEPPASSWORDSFORSESSION");

// Typing in a password field changes it at every key; one write per pause.
constexpr int kWriteDelayMs = 300;

QString listText(const QStringList &list)
{
    return QString::fromUtf8(QJsonDocument(QJsonArray::fromStringList(list)).toJson(QJsonDocument::Compact));
}

QStringList listOf(const QString &text)
{
    QStringList list;
    const QJsonDocument document = QJsonDocument::fromJson(text.toUtf8());
    for (const QJsonValue &value : document.array())
        if (value.isString() && !value.toString().isEmpty())
            list << value.toString();
    return list;
}

QString emptyValue(int kind)
{
    return kind == SavedList ? listText({}) : QString("");
}

} // namespace

KeyringSettings::KeyringSettings(Settings *settings, const Keyring &keyring, QObject *parent)
    : QObject(parent), m_settings(settings), m_keyring(keyring)
{
    for (int kind = 0; kind < 4; ++kind)
        m_fromFile[kind] = valueOf(kind);
    PDFSettings *pdf = settings->pdfSettings();
    // Queued to this thread when a gathering adds a password on its own thread.
    connect(settings, &Settings::passwordsChanged, this, [this] { markChanged(SavedList); });
    connect(settings, &Settings::pdfOpenPasswordChanged, this, [this] { markChanged(TypedOpen); });
    connect(pdf, &PDFSettings::pdfOpenPasswordChanged, this, [this] { markChanged(DocumentOpen); });
    connect(pdf, &PDFSettings::pdfPermissionPasswordChanged, this,
            [this] { markChanged(DocumentPermission); });
}

KeyringSettings::~KeyringSettings() = default;

const std::array<QString, 4> &KeyringSettings::kinds()
{
    static const std::array<QString, 4> names{QStringLiteral("passwords"), QStringLiteral("pdfOpenPassword"),
                                              QStringLiteral("pdfSettings/pdfOpenPassword"),
                                              QStringLiteral("pdfSettings/pdfPermissionPassword")};
    return names;
}

QString KeyringSettings::valueOf(int kind) const
{
    switch (kind) {
    case SavedList:
        return listText(m_settings->passwords());
    case TypedOpen:
        return m_settings->pdfOpenPassword();
    case DocumentOpen:
        return m_settings->pdfSettings()->pdfOpenPassword();
    default:
        return m_settings->pdfSettings()->pdfPermissionPassword();
    }
}

void KeyringSettings::setValueOf(int kind, const QString &value)
{
    switch (kind) {
    case SavedList:
        m_settings->setPasswords(listOf(value));
        break;
    case TypedOpen:
        m_settings->setPdfOpenPassword(value);
        break;
    case DocumentOpen:
        m_settings->pdfSettings()->setPdfOpenPassword(value);
        break;
    default:
        m_settings->pdfSettings()->setPdfPermissionPassword(value);
        break;
    }
}

void KeyringSettings::load()
{
    if (m_pendingReads > 0)
        return;
    m_state = State::Checking;
    m_pendingReads = 4;
    for (int kind = 0; kind < 4; ++kind)
        m_keyring.read(kinds()[kind], this, [this, kind](const KeyringReply &reply) {
            m_reads[kind] = reply;
            if (--m_pendingReads == 0) {
                adopt(m_reads);
                writeChanged();
            }
        });
}

void KeyringSettings::loadNow()
{
    std::array<KeyringReply, 4> replies;
    for (int kind = 0; kind < 4; ++kind) {
        replies[kind] = m_keyring.readNow(kinds()[kind]);
        if (replies[kind].status == KeyringReply::Status::Unavailable)
            break; // the rest would only wait as long again
    }
    adopt(replies);
    flush();
}

void KeyringSettings::adopt(const std::array<KeyringReply, 4> &replies)
{
    for (const KeyringReply &reply : replies)
        if (reply.status == KeyringReply::Status::Unavailable)
            return giveUp(reply.error);

    // What the keyring holds joins what the file and this session hold; the
    // keyring's value is the one written last only when the others are empty.
    m_applying = true;
    for (int kind = 0; kind < 4; ++kind) {
        const bool found = replies[kind].status == KeyringReply::Status::Ok;
        const QString stored = found ? replies[kind].value : emptyValue(kind);
        if (kind == SavedList) {
            QStringList merged = listOf(stored);
            for (const QString &password : m_settings->passwords())
                if (!merged.contains(password))
                    merged << password;
            m_settings->setPasswords(merged);
        } else if (valueOf(kind).isEmpty()) {
            setValueOf(kind, stored);
        }
        // Nothing is written while there is nothing to keep: a first write
        // may make the desktop ask for a new keyring, which only a password warrants.
        m_dirty[kind] = valueOf(kind) != stored;
    }
    m_applying = false;
    m_state = State::InKeyring;
}

void KeyringSettings::markChanged(int kind)
{
    if (m_applying)
        return;
    m_dirty[kind] = true;
    if (m_state != State::InKeyring || m_writeScheduled)
        return;
    m_writeScheduled = true;
    QTimer::singleShot(kWriteDelayMs, this, [this] { writeChanged(); });
}

void KeyringSettings::writeChanged()
{
    m_writeScheduled = false;
    if (m_state != State::InKeyring)
        return;
    // The first writes after a load are the move-in: the file keeps its
    // passwords until the keyring has confirmed every one.
    const bool movingIn = m_settings->passwordsInFile();
    auto outstanding = std::make_shared<int>(0);
    auto failed = std::make_shared<bool>(false);
    auto why = std::make_shared<QString>();
    for (int kind = 0; kind < 4; ++kind) {
        if (!m_dirty[kind])
            continue;
        m_dirty[kind] = false; // a change from now on marks it again
        ++*outstanding;
        m_keyring.write(kinds()[kind], valueOf(kind), this,
                        [this, kind, outstanding, failed, why, movingIn](const KeyringReply &reply) {
                            if (reply.status != KeyringReply::Status::Ok) {
                                m_dirty[kind] = true;
                                *failed = true;
                                *why = reply.error;
                            }
                            if (--*outstanding > 0)
                                return;
                            if (*failed)
                                giveUp(*why);
                            else if (movingIn)
                                confirmMoveIn();
                        });
    }
    if (*outstanding == 0 && movingIn)
        confirmMoveIn();
}

void KeyringSettings::confirmMoveIn()
{
    if (m_state != State::InKeyring || !m_settings->passwordsInFile())
        return;
    m_settings->setPasswordsInFile(false);
    bool fileHeldPasswords = false;
    for (int kind = 0; kind < 4; ++kind)
        fileHeldPasswords = fileHeldPasswords || m_fromFile[kind] != emptyValue(kind);
    if (fileHeldPasswords && !Settings::removePasswordsFromStore())
        logError(QStringLiteral("KeyringSettings=>load"),
                 QStringLiteral("the passwords could not be removed from the settings file"));
    Settings::openStore()->setValue(kInKeyringKey, true);
    Q_EMIT stateChanged();
}

void KeyringSettings::giveUp(const QString &why)
{
    const bool changed = m_state != State::NoKeyring;
    m_state = State::NoKeyring;
    m_problem = why.isEmpty() ? QStringLiteral("the system keyring cannot be used") : why;
    updateFileMode();
    if (changed) {
        logError(QStringLiteral("KeyringSettings"), QStringLiteral("no system keyring: %1").arg(m_problem));
        Q_EMIT stateChanged();
    }
}

void KeyringSettings::flush()
{
    if (m_state != State::InKeyring)
        return;
    const bool movingIn = m_settings->passwordsInFile();
    for (int kind = 0; kind < 4; ++kind) {
        if (!m_dirty[kind])
            continue;
        const KeyringReply reply = m_keyring.writeNow(kinds()[kind], valueOf(kind));
        if (reply.status != KeyringReply::Status::Ok)
            return giveUp(reply.error);
        m_dirty[kind] = false;
    }
    if (movingIn)
        confirmMoveIn();
}

bool KeyringSettings::keyringHeldPasswords() const
{
    return Settings::openStore()->value(kInKeyringKey, false).toBool();
}

bool KeyringSettings::sessionOnly() const
{
    return Settings::openStore()->value(kSessionOnlyKey, false).toBool();
}

void KeyringSettings::setSessionOnly(bool sessionOnly)
{
    Settings::openStore()->setValue(kSessionOnlyKey, sessionOnly);
    updateFileMode();
}

void KeyringSettings::updateFileMode()
{
    if (m_state == State::NoKeyring)
        m_settings->setPasswordsInFile(!sessionOnly());
}

} // namespace lockleaf
