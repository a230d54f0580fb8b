#pragma once
// Qt's own texts (standard buttons, the folder chooser) in Japanese. The program is Japanese
// whatever the user's locale, so the catalogue is loaded unconditionally.

#include <QString>

namespace ui {

// The folder beside the program that holds Qt's catalogue.
QString qtTranslationFolder();

// Installs qtbase_ja.qm from `folder` into the running application; false when it cannot be
// read (Qt's texts then stay English).
bool loadQtJapanese(const QString& folder);

} // namespace ui
