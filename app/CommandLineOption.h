#pragma once

// One option of `ampelio`. The parser, --help, the manual page, the bash completion and the
// README's command-line table are all made from the table in CommandLineOptions.cpp, so they
// cannot disagree with the program.
struct CommandLineOption {
    enum Kind {
        Mode,    // chooses what the process does; modes exclude each other
        Setting, // adjusts the run
        Info,    // prints something about the program and exits
    };

    const char* name; // the long name, without dashes
    Kind kind;
    const char* description; // one or two sentences, shown as written
    // Placeholder of the value; none for a flag. "FILE" and "DIR" complete file and directory
    // names.
    const char* valueName = nullptr;
    const char* choices = nullptr;      // the accepted values, space separated; any when none
    const char* defaultValue = nullptr; // set: the value may be left out and means this
    const char* appliesTo = nullptr;    // the modes a setting needs, space separated; any when none
    const char* shortName = nullptr;

    bool takesValue() const { return valueName != nullptr; }
    bool valueIsOptional() const { return defaultValue != nullptr; }
};

// An environment variable the program reads, for the manual page and the README.
struct EnvironmentVariable {
    const char* name;
    const char* description;
};

// An exit status and what it means.
struct ExitStatus {
    int code;
    const char* name;
    const char* meaning;
};
