// Language files: the texts behind resource-text keys.
#include "ui/language.h"

#include <QFile>
#include <QXmlStreamReader>

#include "platform/debug_output.h"
#include "ui/application.h"
#include "ui/qt/native.h"

namespace varnacle::ui {

namespace {

struct Texts {
  std::string name;
  std::map<std::string, std::string, std::less<>> entries;
};

Texts& loaded() {
  static Texts texts;
  return texts;
}

// Reads a whole file first, so a broken file leaves the loaded texts alone.
bool parse(const QByteArray& text, const std::string& source) {
  QXmlStreamReader xml(text);
  Texts fresh;
  if (!xml.readNextStartElement() || xml.name() != QLatin1String("Language")) {
    platform::debugOutput("language: " + source + " is not a language file");
    return false;
  }
  fresh.name = xml.attributes().value("name").toString().toStdString();
  while (xml.readNextStartElement()) {
    if (xml.name() == QLatin1String("Text")) {
      const auto a = xml.attributes();
      fresh.entries[a.value("id").toString().toStdString()] =
          a.value("value").toString().toStdString();
    }
    xml.skipCurrentElement();
  }
  if (xml.hasError()) {
    platform::debugOutput("language: " + source + " line " + std::to_string(xml.lineNumber()) +
                          ": " + xml.errorString().toStdString());
    return false;
  }
  loaded() = std::move(fresh);
  return true;
}

}  // namespace

bool loadLanguage(std::string_view file) {
  Application* app = Application::instance();
  const std::string path = app ? app->resolve(file) : std::string(file);
  QFile f(qs(path));
  if (!f.open(QIODevice::ReadOnly)) {
    platform::debugOutput("language: cannot read " + path);
    return false;
  }
  return parse(f.readAll(), path);
}

bool loadLanguageFromText(std::string_view xml) {
  return parse(QByteArray(xml.data(), static_cast<qsizetype>(xml.size())), "(text)");
}

const std::string& currentLanguageName() {
  return loaded().name;
}

void setCurrentLanguageName(std::string name) {
  loaded().name = std::move(name);
}

std::string languageText(std::string_view id) {
  const auto& entries = loaded().entries;
  auto it = entries.find(id);
  return it == entries.end() ? std::string(id) : it->second;
}

bool hasLanguageText(std::string_view id) {
  return loaded().entries.contains(id);
}

}  // namespace varnacle::ui
