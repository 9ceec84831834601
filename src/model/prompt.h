#pragma once
// How the core asks the user something or tells them something. The app shows
// message boxes, the command-line tool answers from flags, tests record.
#include <string>

namespace ks {

enum class Buttons { Ok, YesNo, YesNoCancel, OkCancel };
enum class Answer { Ok, Yes, No, Cancel };

class IPrompt {
public:
    virtual ~IPrompt() = default;
    virtual Answer Ask(const std::string& text, Buttons buttons) = 0;
    virtual void Notify(const std::string& text) = 0;
};

// Diagnostics the program writes for developers; nothing depends on them.
// Printed to stderr when the environment variable KESTRINE_TRACE is set.
void Trace(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

}  // namespace ks
