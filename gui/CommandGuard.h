#pragma once
// The boundary of every command (a menu command, a button, a click, a timer's work): an
// exception that a command raises (core/EditorError.h says which) is shown in the error box right
// there. Qt's libraries on this platform are built without exception tables, so an exception must
// never unwind through Qt's frames on its way back to the event loop: every connection to a slot
// that can raise goes through Guarded, every event handler that can raise through RunCommand.

#include <functional>

class QWidget;

// Runs command; what it raises is shown in the error box over parent and goes no further.
// Answers whether the command ran to its end.
bool RunCommand(QWidget* parent, const std::function<void()>& command);

// A slot that runs a member function of object as a command, for connect():
// connect(button, &QPushButton::clicked, this, Guarded(this, &TForm::Button1Click)).
template <typename Object, typename Result, typename... Args>
auto Guarded(Object* object, Result (Object::*member)(Args...)) {
    return
        [object, member](Args... args) { RunCommand(object, [&] { (object->*member)(args...); }); };
}
