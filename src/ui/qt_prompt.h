#pragma once
// The prompt interface shown as message boxes.
#include <QWidget>

#include "model/prompt.h"

namespace ks {

class QtPrompt : public IPrompt {
public:
    explicit QtPrompt(QWidget* parent) : m_parent(parent) {}
    Answer Ask(const std::string& text, Buttons buttons) override;
    void Notify(const std::string& text) override;

private:
    QWidget* m_parent;
};

}  // namespace ks
