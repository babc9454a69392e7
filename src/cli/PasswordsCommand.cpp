#include "cli/PasswordsCommand.h"

#include "cli/ConsoleText.h"
#include "model/KeyringSettings.h"
#include "model/Settings.h"

#include <QCommandLineParser>

namespace lockleaf::cli
{

namespace
{

// The window's settings and where its passwords are, read once.
struct SavedStore {
    SavedStore() : keyring(&settings) { keyring.loadNow(); }

    QString note() const
    {
        if (keyring.state() == KeyringSettings::State::InKeyring)
            return {};
        QString text = QStringLiteral("no system keyring (%1): the saved passwords are in the settings file")
                           .arg(keyring.problem());
        if (keyring.keyringHeldPasswords())
            text += QStringLiteral("; those saved in the keyring earlier cannot be read now");
        return text;
    }

    // Keeps a changed list where the window would; false when it could not.
    bool save(QString *error)
    {
        keyring.flush();
        if (keyring.state() == KeyringSettings::State::InKeyring)
            return true;
        if (keyring.sessionOnly()) {
            *error = QStringLiteral("no system keyring (%1), and saved passwords are kept for the window's "
                                    "session only: nothing was saved")
                         .arg(keyring.problem());
            return false;
        }
        settings.setPasswordsInFile(true);
        if (!settings.synchronize()) {
            *error = QStringLiteral("the settings file could not be written");
            return false;
        }
        return true;
    }

    Settings settings{true};
    KeyringSettings keyring;
};

// The first line of standard input, without its line end.
QString passwordFromStdin(const CliIo &io)
{
    QString text = io.readStdin ? QString::fromUtf8(io.readStdin()) : QString();
    const qsizetype end = text.indexOf(QLatin1Char('\n'));
    if (end >= 0)
        text.truncate(end);
    if (text.endsWith(QLatin1Char('\r')))
        text.chop(1);
    return text;
}

int usageError(const CliIo &io, const QString &message)
{
    *io.err << "lockleaf-cli: " << message << "\nTry 'lockleaf-cli --help' for more information.\n";
    return 2;
}

} // namespace

bool isPasswordsCommand(const QStringList &arguments)
{
    return arguments.size() > 1 && arguments.at(1) == QLatin1String("passwords");
}

QStringList savedPasswords(QString *note)
{
    SavedStore store;
    if (note)
        *note = store.note();
    return store.settings.passwords();
}

QString passwordsUsageText()
{
    return QStringLiteral(
        "The desktop app's saved passwords (in the system keyring when there is one,\n"
        "otherwise in its settings file, readable by the user only):\n"
        "  lockleaf-cli passwords list [--show]   how many are saved; --show prints them,\n"
        "                                         one per line, C-style escaped\n"
        "  lockleaf-cli passwords add             saves the password on the first line of\n"
        "                                         standard input\n"
        "  lockleaf-cli passwords remove          removes the password on the first line\n"
        "                                         of standard input (exit status 1 when it\n"
        "                                         was not saved)\n"
        "  --saved-passwords                      unsecure and list: after the -p and\n"
        "                                         --password-file passwords, try the saved\n"
        "                                         ones, as the window does\n");
}

int runPasswordsCommand(const QStringList &arguments, const CliIo &io)
{
    try {
        QCommandLineParser parser;
        const QCommandLineOption show("show");
        const QCommandLineOption help(QStringList{"h", "help"});
        parser.addOptions({show, help});
        if (!parser.parse(arguments))
            return usageError(io, parser.errorText());
        if (parser.isSet(help)) {
            *io.out << passwordsUsageText();
            io.out->flush();
            return 0;
        }
        QStringList positional = parser.positionalArguments();
        positional.removeFirst(); // "passwords"
        if (positional.isEmpty())
            return usageError(io, QStringLiteral("missing passwords command (list, add or remove)"));
        const QString command = positional.takeFirst();
        if (command != QLatin1String("list") && command != QLatin1String("add") &&
            command != QLatin1String("remove"))
            return usageError(io, QStringLiteral("unknown passwords command '%1'").arg(command));
        // A password in the arguments would sit in the process list and the shell's history.
        if (!positional.isEmpty())
            return usageError(io, command == QLatin1String("list")
                                      ? QStringLiteral("passwords list takes no argument")
                                      : QStringLiteral("passwords %1 reads the password from standard "
                                                       "input, not from the arguments")
                                            .arg(command));
        if (parser.isSet(show) && command != QLatin1String("list"))
            return usageError(io, QStringLiteral("option --show is valid with 'passwords list' only"));

        QString password;
        if (command != QLatin1String("list")) {
            password = passwordFromStdin(io);
            if (password.isEmpty())
                return usageError(io, QStringLiteral("no password on standard input"));
        }

        SavedStore store;
        const QString note = store.note();
        if (!note.isEmpty())
            *io.err << "lockleaf-cli: " << note << '\n';
        QStringList list = store.settings.passwords();
        if (command == QLatin1String("list")) {
            *io.out << list.size() << (list.size() == 1 ? " saved password\n" : " saved passwords\n");
            if (parser.isSet(show))
                for (const QString &saved : std::as_const(list))
                    *io.out << escaped(saved) << '\n';
            io.out->flush();
            return 0;
        }
        if (command == QLatin1String("add")) {
            if (!store.settings.appendPassword(password)) {
                *io.out << "The password is saved already.\n";
                return 0;
            }
        } else if (!list.removeAll(password)) {
            *io.err << "lockleaf-cli: that password is not saved\n";
            return 1;
        } else {
            store.settings.setPasswords(list);
        }
        QString error;
        if (!store.save(&error)) {
            *io.err << "lockleaf-cli: " << error << '\n';
            return 1;
        }
        *io.out << (command == QLatin1String("add") ? "Password saved.\n" : "Password removed.\n");
        return 0;
    } catch (const std::exception &e) {
        *io.err << "lockleaf-cli: " << QString::fromLocal8Bit(e.what()) << '\n';
    }
    return 1;
}

} // namespace lockleaf::cli
