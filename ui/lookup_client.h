#pragma once

#include <QString>

namespace pelmio {

enum class Delivery {
    Delivered,  // the running program has the text
    NoServer,   // no program listens under the name, or it is another user's
    NoAnswer,   // a program took the connection but did not answer in time
};

// Hands text to the program that listens under the server name, waiting
// for it to say it is done. Empty text only brings its window to the front.
Delivery DeliverLookup(const QString& serverName, const QString& text);

}  // namespace pelmio
