// Writes the skin's generated images into the skin folder given as the only
// argument:  make_skin_art <skin folder>
#include <QDir>
#include <QFileInfo>
#include <QString>
#include <cstdio>

#include "skin_art.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_skin_art <skin folder>\n");
    return 2;
  }
  const QDir skin(QString::fromLocal8Bit(argv[1]));
  for (const auto& art : varnacle::tools::skinArt()) {
    const QString file = skin.filePath(QString::fromStdString(art.path));
    if (!QDir().mkpath(QFileInfo(file).path()) || !art.draw().save(file, "PNG")) {
      std::fprintf(stderr, "make_skin_art: could not write %s\n", file.toLocal8Bit().constData());
      return 1;
    }
  }
  return 0;
}
