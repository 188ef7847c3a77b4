#pragma once

namespace pelmio {

// The application object: runs the main window once, then ends.
class CLookupApp {
public:
    // Runs the main window in the current folder until it closes. Returns
    // false: there is no further message loop to enter.
    bool InitInstance();
};

}  // namespace pelmio
