#include "CommandLine.h"

#include "CommandLineOptions.h"

#include <QCommandLineParser>

#include <optional>

namespace {
QString dashed(const char* name) {
    return (name[1] == '\0' ? QStringLiteral("-") : QStringLiteral("--")) + QLatin1String(name);
}

QString needsValue(const CommandLineOption& option) {
    return QStringLiteral("%1 needs a value: %1 %2")
        .arg(dashed(option.name), QLatin1String(option.valueName));
}

bool looksLikeOption(const QString& argument) {
    return argument.size() > 1 && argument.startsWith(QLatin1Char('-'));
}

// The name an argument gives ("--idiom=tablet" and "-idiom" give "idiom"); none for a value.
std::optional<QStringView> nameIn(const QString& argument) {
    if (!looksLikeOption(argument) || argument == QLatin1String("--"))
        return std::nullopt;
    QStringView name = QStringView(argument).mid(argument.startsWith(QLatin1String("--")) ? 2 : 1);
    return name.left(name.indexOf(QLatin1Char('=')));
}

// "--a", "--a and --b", "--a, --b and --c".
QString listed(const QStringList& names, const char* conjunction) {
    if (names.size() < 2)
        return names.value(0);
    return names.first(names.size() - 1).join(QStringLiteral(", ")) + QLatin1Char(' ') +
           QLatin1String(conjunction) + QLatin1Char(' ') + names.last();
}

// The parser leaves the description as one line; the options it wraps at 80 columns.
QString wrapped(const QString& text, qsizetype width) {
    QString out;
    qsizetype lineLength = 0;
    for (const QString& word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (lineLength > 0 && lineLength + 1 + word.size() > width) {
            out += QLatin1Char('\n');
            lineLength = 0;
        } else if (lineLength > 0) {
            out += QLatin1Char(' ');
            ++lineLength;
        }
        out += word;
        lineLength += word.size();
    }
    return out;
}

void addTable(QCommandLineParser& parser) {
    // "-headless" is --headless, not -h -e -a ...
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(
        wrapped(QString::fromUtf8(CommandLineOptions::description()), 79));
    for (const CommandLineOption& entry : CommandLineOptions::options()) {
        QStringList names;
        if (entry.shortName)
            names.append(QLatin1String(entry.shortName));
        names.append(QLatin1String(entry.name));
        QCommandLineOption option(names, QString::fromUtf8(entry.description));
        if (entry.takesValue())
            option.setValueName(QLatin1String(entry.valueName));
        parser.addOption(option);
    }
}

// QCommandLineParser takes the next argument as the value even when it is an option
// ("--screenshot --report" would render into a folder named "--report") and knows no optional
// values. Here a following option means the value was left out: the default is filled in, or the
// missing value is the error. A value that starts with a dash can be given as --name=VALUE.
std::optional<QString> fillValues(const QStringList& arguments, QStringList& out) {
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        out.append(argument);
        if (argument == QLatin1String("--")) {
            out.append(arguments.mid(i + 1));
            break;
        }
        const std::optional<QStringView> name = nameIn(argument);
        const CommandLineOption* option = name ? CommandLineOptions::find(*name) : nullptr;
        if (!option)
            continue;
        const bool inline_ = argument.contains(QLatin1Char('='));
        if (inline_ && !option->takesValue())
            return QStringLiteral("%1 takes no value, but was given %2")
                .arg(dashed(option->name), argument);
        if (inline_ || !option->takesValue())
            continue;
        if (i + 1 < arguments.size() && !looksLikeOption(arguments[i + 1]))
            out.append(arguments[++i]);
        else if (option->valueIsOptional())
            out.append(QLatin1String(option->defaultValue));
        else
            return needsValue(*option);
    }
    return std::nullopt;
}

// How the user wrote the option the parser did not know, without any value.
QString spelling(const QStringList& arguments, const QString& unknown) {
    for (const QString& argument : arguments)
        if (nameIn(argument) == unknown)
            return argument.section(QLatin1Char('='), 0, 0);
    return QStringLiteral("--") + unknown;
}
} // namespace

CommandLine CommandLine::parse(const QStringList& arguments) {
    CommandLine line;
    QStringList filled{QStringLiteral("ampelio")};
    if (const std::optional<QString> error = fillValues(arguments, filled)) {
        line.fail(*error);
        return line;
    }
    QCommandLineParser parser;
    addTable(parser);
    if (!parser.parse(filled)) {
        const QStringList unknown = parser.unknownOptionNames();
        line.fail(unknown.isEmpty()
                      ? parser.errorText()
                      : QStringLiteral("unknown option %1").arg(spelling(arguments, unknown[0])));
        return line;
    }
    if (!parser.positionalArguments().isEmpty()) {
        line.fail(QStringLiteral("unexpected argument '%1'").arg(parser.positionalArguments()[0]));
        return line;
    }
    for (const CommandLineOption& option : CommandLineOptions::options()) {
        const QString name = QLatin1String(option.name);
        if (parser.isSet(name))
            line.given_.insert(name, option.takesValue() ? parser.value(name) : QString());
    }
    line.check();
    return line;
}

// What the parser cannot know: modes that exclude each other, values from a fixed set, settings
// that belong to a mode.
void CommandLine::check() {
    if (isSet("help") || isSet("version")) {
        outcome_ = isSet("help") ? Help : Version;
        return;
    }
    QStringList modes;
    for (const CommandLineOption& option : CommandLineOptions::options()) {
        if (!isSet(option.name))
            continue;
        const QString value = this->value(option.name);
        if (option.takesValue() && value.isEmpty())
            return fail(needsValue(option));
        const QStringList choices = QString::fromLatin1(option.choices).split(QLatin1Char(' '));
        if (option.choices && !choices.contains(value))
            return fail(QStringLiteral("%1 does not know '%2'; use %3")
                            .arg(dashed(option.name), value, listed(choices, "or")));
        if (option.kind == CommandLineOption::Mode)
            modes.append(dashed(option.name));
    }
    if (modes.size() > 1)
        return fail(QStringLiteral("%1 cannot be used together; give one of them")
                        .arg(listed(modes, "and")));
    mode_ = modes.isEmpty() ? QString() : modes[0].mid(2);
    for (const CommandLineOption& option : CommandLineOptions::options()) {
        if (!option.appliesTo || !isSet(option.name))
            continue;
        const QStringList modesNeeded =
            QString::fromLatin1(option.appliesTo).split(QLatin1Char(' '));
        if (!modesNeeded.contains(mode_)) {
            QStringList needed;
            for (const QString& mode : modesNeeded)
                needed.append(QStringLiteral("--") + mode);
            return fail(QStringLiteral("%1 works only with %2")
                            .arg(dashed(option.name), listed(needed, "or")));
        }
    }
}

void CommandLine::fail(const QString& error) {
    outcome_ = UsageError;
    error_ = error;
}

namespace {
// Words filled into lines of at most `width` characters, each indented by `indent`.
QString wrapped(const QString& text, int indent, int width) {
    const QString margin(indent, QLatin1Char(' '));
    QString out;
    QString line;
    for (const QString& word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (!line.isEmpty() && indent + line.size() + 1 + word.size() > width) {
            out += margin + line + QLatin1Char('\n');
            line.clear();
        }
        line += (line.isEmpty() ? QString() : QStringLiteral(" ")) + word;
    }
    if (!line.isEmpty())
        out += margin + line + QLatin1Char('\n');
    return out;
}
} // namespace

QString CommandLine::helpText() {
    QCommandLineParser parser;
    addTable(parser);
    QString text = parser.helpText();
    // Without an application object the parser cannot know the program's name.
    text.replace(0, text.indexOf(QLatin1Char('\n')), QStringLiteral("Usage: ampelio [options]"));
    text += QStringLiteral("\nEnvironment:\n");
    for (const EnvironmentVariable& variable : CommandLineOptions::environment())
        text += QStringLiteral("  %1\n%2")
                    .arg(QLatin1String(variable.name),
                         wrapped(QString::fromUtf8(variable.description), 6, 80));
    return text +
           QStringLiteral("\nExit status: %1.\n").arg(CommandLineOptions::exitStatusSummary());
}
