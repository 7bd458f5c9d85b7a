#pragma once

#include "store/FileOps.h"

#include <QString>

class QWidget;

namespace tuvano::platform {

// The icon of a message box.
enum class Icon { Critical, Question, Exclamation, Information };

// The buttons of a message box, and the one the user pressed.
enum class Buttons { Ok, YesNo };
enum class Answer { Ok, Yes, No };

// What the program takes from the operating system. Everything above this
// layer goes through it, so tests can put a scripted one in its place.
class Platform {
public:
    Platform() = default;
    Platform(const Platform&) = delete;
    Platform& operator=(const Platform&) = delete;
    virtual ~Platform() = default;

    // The folder the program was started from; the host lives there too.
    virtual QString programFolder() const = 0;
    // The file whose presence tells that the host runs.
    virtual QString markerPath() const = 0;
    // The operations through which the store changes files.
    virtual store::FileOps& fileOps() { return store::FileOps::real(); }

    // A modal message box; returns the button pressed.
    virtual Answer message(const QString& text, const QString& title, Icon icon,
                           Buttons buttons = Buttons::Ok) = 0;
    // A modal input box; cancelling gives the empty text.
    virtual QString inputBox(const QString& prompt, const QString& title,
                             const QString& defaultText = {}) = 0;

    // Starts a program by full path, without arguments, without waiting and
    // without keeping any handle; shown minimised and active where the
    // system has such a thing. False when it could not be started.
    virtual bool launch(const QString& path) = 0;
    // Whether the file can be opened for reading at this moment.
    virtual bool canOpen(const QString& path) = 0;

    virtual void reseedRandom() = 0;
    // A fraction r with 0 <= r < 1, of single precision.
    virtual float randomFraction() = 0;

    // Pins a window above all ordinary windows, or releases it.
    virtual void stayOnTop(QWidget* window, bool onTop) = 0;

    // Ends the program at once: no further handler runs and nothing is
    // written. Callers return straight after it (a test's platform records
    // the end instead of ending the process).
    virtual void endProgram() = 0;
    // Tells the user of an error the program cannot go on from, then ends it.
    virtual void fatalError(const QString& text) = 0;
};

} // namespace tuvano::platform
