// The application object: it finishes launching through its delegate and runs the
// event loop. One exists at a time, reachable as Application::Shared().
#pragma once

#include <QObject>

namespace keelward {

class ApplicationDelegate {
public:
    virtual ~ApplicationDelegate() = default;
    // Called once, before the event loop handles its first event.
    virtual void applicationWillFinishLaunching() = 0;
};

class Application final {
public:
    // Needs a QApplication; becomes the shared application object.
    Application();
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // The living application object, or null.
    static Application* Shared();

    void setDelegate(ApplicationDelegate* delegate) { delegate_ = delegate; }
    ApplicationDelegate* delegate() const { return delegate_; }

    // Asks the application to quit. Before the event loop runs, run() then returns
    // without entering it; inside it, the loop ends.
    void terminate(QObject* sender);
    bool isTerminating() const { return terminating_; }

    // Tells the delegate that launching finishes, then runs the event loop unless
    // the application is terminating. Returns the program's exit status.
    int run();

private:
    ApplicationDelegate* delegate_ = nullptr;
    bool terminating_ = false;
};

}  // namespace keelward
