#pragma once

class QCoreApplication;

// Makes the texts Qt draws itself (message box buttons, the file and folder
// dialogs) Simplified Chinese like the rest of the player. False when Qt's
// Chinese translations are not installed; Qt then keeps its English.
bool InstallQtTranslations(QCoreApplication& app);
