// Writes the skin's generated images into the skin folder, or the program icon
// for the desktop into an icon theme folder:
//   make_skin_art <skin folder>
//   make_skin_art --icons <icon theme folder>
// The icons land in <folder>/scalable/apps/varnacle-driver.svg and
// <folder>/NxN/apps/varnacle-driver.png.
#include <QDir>
#include <QFileInfo>
#include <QString>
#include <array>
#include <cstdio>
#include <cstring>

#include "paint_helpers.h"
#include "skin_art.h"

namespace {

bool makeFolderOf(const QString& file) {
  return QDir().mkpath(QFileInfo(file).path());
}

int cannotWrite(const QString& file) {
  std::fprintf(stderr, "make_skin_art: could not write %s\n", file.toLocal8Bit().constData());
  return 1;
}

int writeSkin(const QDir& skin) {
  for (const auto& art : varnacle::tools::skinArt()) {
    for (int scale : {1, 2}) {
      if (scale == 2 && !art.doubled) continue;
      varnacle::tools::artScale() = scale;
      const std::string path = scale == 1 ? art.path : varnacle::tools::doubledName(art.path);
      const QString file = skin.filePath(QString::fromStdString(path));
      if (!makeFolderOf(file) || !art.draw().save(file, "PNG")) return cannotWrite(file);
    }
  }
  varnacle::tools::artScale() = 1;
  return 0;
}

// The sizes desktops look up in the icon theme.
constexpr std::array<int, 7> kIconSizes = {16, 24, 32, 48, 64, 128, 256};

int writeIcons(const QDir& theme) {
  const QString svg = theme.filePath(QStringLiteral("scalable/apps/varnacle-driver.svg"));
  if (!makeFolderOf(svg) || !varnacle::tools::writeProgramIconSvg(svg)) return cannotWrite(svg);
  for (int size : kIconSizes) {
    const QString png = theme.filePath(QStringLiteral("%1x%1/apps/varnacle-driver.png").arg(size));
    if (!makeFolderOf(png) || !varnacle::tools::programIconImage(size).save(png, "PNG"))
      return cannotWrite(png);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2) return writeSkin(QDir(QString::fromLocal8Bit(argv[1])));
  if (argc == 3 && std::strcmp(argv[1], "--icons") == 0)
    return writeIcons(QDir(QString::fromLocal8Bit(argv[2])));
  std::fprintf(stderr,
               "usage: make_skin_art <skin folder>\n"
               "       make_skin_art --icons <icon theme folder>\n");
  return 2;
}
