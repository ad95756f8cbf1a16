#pragma once
// Qt's own dialogs (colour, font, files, message-box buttons) in Japanese, like the rest.
class QCoreApplication;

// Loads Qt's Japanese catalogue whatever the user's language; false when it is not installed.
bool LoadQtJapanese(QCoreApplication &app);
