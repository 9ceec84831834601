#pragma once
// A prompt that answers from a script and records what it was told.
#include <deque>
#include <string>
#include <vector>

#include "model/prompt.h"

namespace ks::test {

class RecordingPrompt : public IPrompt {
public:
    Answer Ask(const std::string& text, Buttons) override {
        asked.push_back(text);
        if (answers.empty()) return Answer::Cancel;
        const Answer a = answers.front();
        answers.pop_front();
        return a;
    }
    void Notify(const std::string& text) override { notices.push_back(text); }

    std::deque<Answer> answers;
    std::vector<std::string> asked;
    std::vector<std::string> notices;
};

}  // namespace ks::test
