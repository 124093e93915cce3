#pragma once
// Window classes: the behaviour a window has by itself, below the control that owns it (a
// BUTTON window pushes, checks and draws itself, or asks its parent to draw it when it is
// owner-drawn). TWinControl::DefaultHandler hands unhandled messages to the class procedure.
#include "toolkit/controls/Messages.h"
#include "toolkit/core/Export.h"

#include <functional>
#include <string>

QEL_PUBLIC_BEGIN

namespace qel {

class TWinControl;

using TWindowClassProc = std::function<void(TWinControl& Control, TMessage& Message)>;

struct TWindowClassInfo {
    UINT ClassStyle = 0;
    TWindowClassProc Proc;
};

void RegisterWindowClass(const std::string& Name, TWindowClassInfo Info);
const TWindowClassInfo* FindWindowClassInfo(const std::string& Name);
const TWindowClassProc* FindWindowClass(const std::string& Name);

} // namespace qel

QEL_PUBLIC_END
