#pragma once

#include <QString>

class DatabaseLocation;

// libpq's words for a failed connection say what the network or the server
// did; the user needs to know what to look at. Returns a sentence naming the
// place in the user's terms, followed by libpq's own words (which the password
// handling still reads), or libpq's words alone when they are clear enough.
QString explainServerFailure(const QString &engineMessage, const DatabaseLocation &location);
