#pragma once

#include "model/Keyring.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <array>

namespace lockleaf
{

class Settings;

// Keeps a Settings record's passwords in the system keyring instead of its
// settings file: one entry per kind under the service "Lockleaf" (the saved
// list as a JSON array, the typed open password, the document's open and
// permission passwords; see kinds()).
//
// load() reads the entries without blocking. When the keyring answers, its
// values join what the file held (the saved list: the keyring's, then the
// file's and the session's additions; a single password: the file's or the
// session's when not empty), the result goes back to the keyring, and only once
// the keyring confirmed every write does the record stop saving passwords to
// the file (Settings::setPasswordsInFile(false)) and are they emptied in the
// stored file. Afterwards every change is written asynchronously. When the
// keyring is missing, locked, refuses or does not answer in time, the record
// keeps saving passwords to its 0600 file as before, unless the user chose to
// keep them for the session only (setSessionOnly).
//
// Lives on the thread that made it (the main thread in the window); the
// record's change signals may come from any thread. `settings` is not owned
// and must outlive this.
class KeyringSettings final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(KeyringSettings)

public:
    enum class State { Checking, InKeyring, NoKeyring };

    explicit KeyringSettings(Settings *settings, const Keyring &keyring = Keyring(),
                             QObject *parent = nullptr);
    ~KeyringSettings() override;

    // Reads the keyring; returns at once (stateChanged() tells the outcome).
    void load();
    // The same, waiting for the outcome (at most a few timeouts): for the CLI.
    void loadNow();
    // Writes every change not yet confirmed, waiting at most about one timeout
    // per kind; when one fails the passwords go to the file again. Call before
    // Settings::synchronize() at quit.
    void flush();

    State state() const { return m_state; }
    // Why the keyring is not used (for the user; no secret in it); "" otherwise.
    QString problem() const { return m_problem; }
    // Whether passwords found in the keyring earlier cannot be reached now.
    bool keyringHeldPasswords() const;

    // With no keyring: true keeps the passwords in memory only (the file gets
    // none); saved in the settings store.
    bool sessionOnly() const;
    void setSessionOnly(bool sessionOnly);

    // The keyring entries' names, in the order above.
    static const std::array<QString, 4> &kinds();

Q_SIGNALS:
    void stateChanged();

private:
    QString valueOf(int kind) const;
    void setValueOf(int kind, const QString &value);
    void adopt(const std::array<KeyringReply, 4> &replies);
    void confirmMoveIn();
    void giveUp(const QString &why);
    void markChanged(int kind);
    void writeChanged();
    void updateFileMode();

    Settings *m_settings;
    Keyring m_keyring;
    State m_state = State::Checking;
    QString m_problem;
    std::array<QString, 4> m_fromFile;   // as loaded from the file, to tell the session's changes
    std::array<bool, 4> m_dirty{};       // changed since the keyring last confirmed it
    std::array<KeyringReply, 4> m_reads; // collected by load()
    int m_pendingReads = 0;
    bool m_applying = false; // adopting the keyring's values: not a change of the user's
    bool m_writeScheduled = false;
};

} // namespace lockleaf
