// The layout builder: reads a layout file into a control tree.
#include <QFile>
#include <QXmlStreamReader>

#include "platform/debug_output.h"
#include "ui/application.h"
#include "ui/attributes.h"
#include "ui/qt/native.h"

namespace varnacle::ui {

namespace {

std::map<std::string, ControlFactory>& customClasses() {
  static std::map<std::string, ControlFactory> classes;
  return classes;
}

std::unique_ptr<Control> builtIn(std::string_view cls) {
  const std::string c = toLower(cls);
  if (c == "control") return std::make_unique<Control>();
  if (c == "label" || c == "text") return std::make_unique<Label>();
  if (c == "button") return std::make_unique<Button>();
  if (c == "option") return std::make_unique<Option>();
  if (c == "checkbox") return std::make_unique<CheckBox>();
  if (c == "combo") return std::make_unique<Combo>();
  if (c == "progress") return std::make_unique<Progress>();
  if (c == "slider") return std::make_unique<Slider>();
  if (c == "colorpalette") return std::make_unique<ColorPalette>();
  if (c == "edit") return std::make_unique<Edit>();
  if (c == "container") return std::make_unique<Container>();
  if (c == "verticallayout") return std::make_unique<VerticalLayout>();
  if (c == "horizontallayout") return std::make_unique<HorizontalLayout>();
  if (c == "tablayout") return std::make_unique<TabLayout>();
  if (c == "list" || c == "listex") return std::make_unique<List>();
  if (c == "listlabelelement") return std::make_unique<ListLabelElement>();
  if (c == "listtextelement") return std::make_unique<ListTextElement>();
  if (c == "listcontainerelement") return std::make_unique<ListContainerElement>();
  return nullptr;
}

using Attributes = std::vector<std::pair<std::string, std::string>>;

Attributes attributesOf(const QXmlStreamReader& xml) {
  Attributes out;
  for (const auto& a : xml.attributes())
    out.emplace_back(a.name().toString().toStdString(), a.value().toString().toStdString());
  return out;
}

std::string valueOf(const Attributes& attributes, std::string_view name) {
  for (const auto& [n, v] : attributes)
    if (n == name) return v;
  return {};
}

class Reader {
 public:
  Reader(Window& window, const CreateControlCallback& callback, std::string source, int depth)
      : window_(window), callback_(callback), source_(std::move(source)), depth_(depth) {}

  std::unique_ptr<Control> read(const QByteArray& text, LayoutWindowInfo* info) {
    QXmlStreamReader xml(text);
    std::unique_ptr<Control> root;
    while (xml.readNextStartElement()) {
      const std::string name = xml.name().toString().toStdString();
      if (equalsNoCase(name, "Window")) {
        root = readWindow(xml, info);
      } else {
        root = readControl(xml);
      }
      break;
    }
    if (xml.hasError()) {
      platform::debugOutput("layout: " + source_ + " line " + std::to_string(xml.lineNumber()) +
                            ": " + xml.errorString().toStdString());
      return nullptr;
    }
    if (!root) platform::debugOutput("layout: " + source_ + " holds no control");
    return root;
  }

 private:
  std::unique_ptr<Control> readWindow(QXmlStreamReader& xml, LayoutWindowInfo* info) {
    const Attributes attributes = attributesOf(xml);
    if (info) {
      info->size = parseSize(valueOf(attributes, "size")).value_or(Size{});
      info->caption = parseRect(valueOf(attributes, "caption")).value_or(Rect{});
    }
    std::unique_ptr<Control> root;
    while (xml.readNextStartElement()) {
      const std::string name = xml.name().toString().toStdString();
      if (equalsNoCase(name, "Font")) {
        readFont(attributesOf(xml));
        xml.skipCurrentElement();
      } else if (equalsNoCase(name, "Style")) {
        Attributes style = attributesOf(xml);
        const std::string styleName = valueOf(style, "name");
        std::erase_if(style, [](const auto& a) { return a.first == "name"; });
        window_.addStyle(styleName, std::move(style));
        xml.skipCurrentElement();
      } else if (!root) {
        root = readControl(xml);
      } else {
        platform::debugOutput("layout: " + source_ + ": a window has one root; <" + name +
                              "> skipped");
        xml.skipCurrentElement();
      }
    }
    return root;
  }

  void readFont(const Attributes& a) {
    Window::Font font;
    font.family = valueOf(a, "name");
    font.size = parseInt(valueOf(a, "size")).value_or(12);
    font.bold = parseBool(valueOf(a, "bold")).value_or(false);
    font.italic = parseBool(valueOf(a, "italic")).value_or(false);
    font.underline = parseBool(valueOf(a, "underline")).value_or(false);
    window_.addFont(parseInt(valueOf(a, "id")).value_or(0), std::move(font),
                    parseBool(valueOf(a, "default")).value_or(false));
  }

  std::unique_ptr<Control> create(std::string_view cls) {
    if (auto c = builtIn(cls)) return c;
    if (callback_)
      if (auto c = callback_(cls)) return c;
    auto& classes = customClasses();
    auto it = classes.find(toLower(cls));
    if (it != classes.end() && it->second) return it->second();
    return nullptr;
  }

  std::unique_ptr<Control> readControl(QXmlStreamReader& xml) {
    const std::string cls = xml.name().toString().toStdString();
    const Attributes attributes = attributesOf(xml);
    if (equalsNoCase(cls, "Include")) {
      xml.skipCurrentElement();
      return include(valueOf(attributes, "source"), attributes);
    }
    std::unique_ptr<Control> control = create(cls);
    if (!control) {
      platform::debugOutput("layout: " + source_ + ": unknown element <" + cls + "> skipped");
      xml.skipCurrentElement();
      return nullptr;
    }
    const std::string styleName = valueOf(attributes, "style");
    if (!styleName.empty()) {
      if (const Attributes* style = window_.style(styleName)) {
        for (const auto& [n, v] : *style) control->setAttribute(n, v);
      } else {
        platform::debugOutput("layout: " + source_ + ": unknown style \"" + styleName + "\"");
      }
    }
    for (const auto& [n, v] : attributes)
      if (n != "style") control->setAttribute(n, v);

    auto* combo = dynamic_cast<Combo*>(control.get());
    auto* container = dynamic_cast<Container*>(control.get());
    while (xml.readNextStartElement()) {
      if (combo) {
        const Attributes item = attributesOf(xml);
        const int index = combo->addItem(valueOf(item, "text"), valueOf(item, "userdata"));
        if (parseBool(valueOf(item, "selected")).value_or(false))
          combo->selectItem1(index, false, false);
        xml.skipCurrentElement();
      } else if (container) {
        if (auto child = readControl(xml)) container->add(std::move(child));
      } else {
        platform::debugOutput("layout: " + source_ + ": <" + cls + "> holds no children");
        xml.skipCurrentElement();
      }
    }
    return control;
  }

  // The other attributes of an Include fill the fragment's "{attribute}"
  // marks, so one fragment serves under several names.
  std::unique_ptr<Control> include(const std::string& file, const Attributes& marks) {
    if (depth_ > 8) {
      platform::debugOutput("layout: " + source_ + ": includes nested too deep at " + file);
      return nullptr;
    }
    const std::string path =
        Application::instance() ? Application::instance()->resolve(file) : file;
    QFile f(qs(path));
    if (!f.open(QIODevice::ReadOnly)) {
      platform::debugOutput("layout: cannot read " + path);
      return nullptr;
    }
    QByteArray text = f.readAll();
    for (const auto& [n, v] : marks)
      if (n != "source") text.replace(QByteArray::fromStdString("{" + n + "}"), QByteArray::fromStdString(v));
    return Reader(window_, callback_, file, depth_ + 1).read(text, nullptr);
  }

  Window& window_;
  const CreateControlCallback& callback_;
  std::string source_;
  int depth_;
};

}  // namespace

void registerCustomClass(std::string_view className, ControlFactory factory) {
  customClasses()[toLower(className)] = std::move(factory);
}

std::unique_ptr<Control> buildLayoutFile(std::string_view layout, Window& window,
                                         const CreateControlCallback& callback,
                                         LayoutWindowInfo* info) {
  Application* app = Application::instance();
  const std::string path = app ? app->resolve(layout) : std::string(layout);
  QFile f(qs(path));
  if (!f.open(QIODevice::ReadOnly)) {
    platform::debugOutput("layout: cannot read " + path);
    return nullptr;
  }
  return Reader(window, callback, std::string(layout), 0).read(f.readAll(), info);
}

std::unique_ptr<Control> buildLayout(std::string_view layout, Window& window,
                                     const CreateControlCallback& callback) {
  return buildLayoutFile(layout, window, callback, nullptr);
}

std::unique_ptr<Control> buildLayoutFromText(std::string_view xml, Window& window,
                                             const CreateControlCallback& callback) {
  return Reader(window, callback, "(text)", 0)
      .read(QByteArray(xml.data(), static_cast<qsizetype>(xml.size())), nullptr);
}

}  // namespace varnacle::ui
