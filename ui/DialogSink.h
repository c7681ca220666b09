// Messages as the window shows them: a modal box with an OK button.
#pragma once

#include "services/Messages.h"

namespace ui {

class DialogSink : public services::MessageSink {
public:
    void Show(const QString& text, const QString& title) override;
};

} // namespace ui
