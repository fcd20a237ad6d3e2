#include "BashCompletion.h"

#include "CommandLineOptions.h"

#include <QStringList>

namespace {
// The case branch that completes an option's value; empty when nothing can be offered.
QString valueBranch(const CommandLineOption& option) {
    QString action;
    if (option.choices)
        action = QStringLiteral("COMPREPLY=($(compgen -W '%1' -- \"$cur\"))")
                     .arg(QLatin1String(option.choices));
    else if (qstrcmp(option.valueName, "DIR") == 0)
        action = QStringLiteral("compopt -o filenames 2>/dev/null; local IFS=$'\\n'; "
                                "COMPREPLY=($(compgen -d -- \"$cur\"))");
    else if (qstrcmp(option.valueName, "FILE") == 0)
        action = QStringLiteral("compopt -o filenames 2>/dev/null; local IFS=$'\\n'; "
                                "COMPREPLY=($(compgen -f -- \"$cur\"))");
    else
        action = QStringLiteral("COMPREPLY=()");
    // A value that may be left out gives way to the next option.
    if (option.valueIsOptional())
        return QStringLiteral("        --%1) if [[ $cur != -* ]]; then %2; return; fi ;;\n")
            .arg(QLatin1String(option.name), action);
    return QStringLiteral("        --%1) %2; return ;;\n").arg(QLatin1String(option.name), action);
}
} // namespace

QString BashCompletion::generate() {
    QStringList names;
    QString branches;
    for (const CommandLineOption& option : CommandLineOptions::options()) {
        names.append(QStringLiteral("--") + QLatin1String(option.name));
        if (option.takesValue())
            branches += valueBranch(option);
    }
    return QStringLiteral(
               R"(# bash completion for ampelio, made from its option table by ampelio-cli-docs.
_ampelio()
{
    local cur=${COMP_WORDS[COMP_CWORD]} prev=
    ((COMP_CWORD > 0)) && prev=${COMP_WORDS[COMP_CWORD-1]}
    # bash splits "--idiom=ta" into "--idiom" "=" "ta".
    if [[ $cur == = ]]; then
        cur=
    elif [[ $prev == = ]] && ((COMP_CWORD > 1)); then
        prev=${COMP_WORDS[COMP_CWORD-2]}
    fi
    case $prev in
%1    esac
    COMPREPLY=($(compgen -W '%2' -- "$cur"))
}
complete -F _ampelio ampelio
)")
        .arg(branches, names.join(QLatin1Char(' ')));
}
