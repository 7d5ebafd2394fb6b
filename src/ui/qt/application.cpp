// The application object: the toolkit application, the skin folder and its
// resource index.
#include "ui/application.h"
#include "ui/dispatcher.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <QXmlStreamReader>
#include <chrono>
#include <cstdlib>
#include <thread>

#include "platform/debug_output.h"
#include "platform/folders.h"
#include "ui/qt/native.h"

namespace varnacle::ui {

void markUiThread();   // dispatcher.cpp

namespace {

Application* current = nullptr;

// Why no window can be shown, or "" when a display (or a headless platform)
// is there. The toolkit would abort instead of failing.
std::string displayProblem() {
#if defined(__linux__)
  const char* platform = std::getenv("QT_QPA_PLATFORM");
  const std::string p = platform ? platform : "";
  const bool needsServer = p.empty() || p.starts_with("xcb") || p.starts_with("wayland");
  const char* display = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  if (needsServer && !(display && *display) && !(wayland && *wayland))
    return "no display: neither DISPLAY nor WAYLAND_DISPLAY is set (QT_QPA_PLATFORM=offscreen "
           "runs without one)";
#endif
  return {};
}

std::string withSlash(std::string folder) {
  if (!folder.empty() && folder.back() != '/' && folder.back() != '\\') folder += '/';
  return folder;
}

}  // namespace

namespace {

// Hands the keys and mouse buttons of the program's windows to the input
// observer.
class InputFilter : public QObject {
 public:
  std::function<bool(const Application::InputEvent&)> observer;

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (!observer || !watched->isWidgetType()) return false;
    const QEvent::Type type = event->type();
    if (type != QEvent::KeyPress && type != QEvent::KeyRelease &&
        type != QEvent::MouseButtonPress && type != QEvent::MouseButtonRelease)
      return false;
    // An event no widget takes travels up to the widget's parents: it is
    // observed once.
    const auto stamp = static_cast<const QInputEvent*>(event)->timestamp();
    if (event == last_ && type == lastType_ && stamp == lastStamp_) return lastAnswer_;
    last_ = event;
    lastType_ = type;
    lastStamp_ = stamp;
    lastAnswer_ = observe(event, type);
    return lastAnswer_;
  }

 private:
  bool observe(QEvent* event, QEvent::Type type) {
    Application::InputEvent input;
    if (type == QEvent::KeyPress || type == QEvent::KeyRelease) {
      const auto* k = static_cast<const QKeyEvent*>(event);
      input.key = true;
      input.released = type == QEvent::KeyRelease;
      input.autoRepeat = k->isAutoRepeat();
      input.nativeScanCode = k->nativeScanCode();
      input.nativeVirtualKey = k->nativeVirtualKey();
      input.time = static_cast<std::uint32_t>(k->timestamp());
    } else if (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonRelease) {
      const auto* m = static_cast<const QMouseEvent*>(event);
      input.released = type == QEvent::MouseButtonRelease;
      input.time = static_cast<std::uint32_t>(m->timestamp());
      switch (m->button()) {
        case Qt::LeftButton: input.button = 1; break;
        case Qt::MiddleButton: input.button = 2; break;
        case Qt::RightButton: input.button = 3; break;
        case Qt::BackButton: input.button = 8; break;
        case Qt::ForwardButton: input.button = 9; break;
        default: return false;
      }
    }
    return observer(input);
  }

  const QEvent* last_ = nullptr;
  QEvent::Type lastType_ = QEvent::None;
  quint64 lastStamp_ = 0;
  bool lastAnswer_ = false;
};

}  // namespace

struct Application::Native {
  std::unique_ptr<QApplication> qapp;
  std::unique_ptr<InputFilter> input;
};

Application::Application() : native_(std::make_unique<Native>()) {}

Application::Created Application::create(int& argc, char** argv) {
  if (current || QCoreApplication::instance()) return {nullptr, "an application exists already"};
  if (std::string problem = displayProblem(); !problem.empty()) return {nullptr, problem};
  std::unique_ptr<Application> app(new Application());
  app->native_->qapp = std::make_unique<QApplication>(argc, argv);
  app->native_->qapp->setQuitOnLastWindowClosed(false);
  installAccessibility();
  current = app.get();
  markUiThread();
  endShutdown();
  app->skinFolder_ = withSlash(platform::utf8FromPath(platform::resourceFolder() / "skin"));
  return {std::move(app), {}};
}

void Application::setDesktopEntry(std::string_view id) {
  QGuiApplication::setDesktopFileName(QString::fromUtf8(id.data(), static_cast<qsizetype>(id.size())));
}

void Application::setInputObserver(std::function<bool(const InputEvent&)> observer) {
  if (!native_->input) {
    native_->input = std::make_unique<InputFilter>();
    native_->qapp->installEventFilter(native_->input.get());
  }
  native_->input->observer = std::move(observer);
}

Application::~Application() {
  if (native_->input && native_->qapp) native_->qapp->removeEventFilter(native_->input.get());
  clearImageCache();
  native_->qapp.reset();
  current = nullptr;
}

Application* Application::instance() {
  return current;
}

void Application::setSkinFolder(std::string folder) {
  skinFolder_ = withSlash(std::move(folder));
}

bool Application::loadResourceIndex(std::string_view file) {
  const std::string path = resolve(file);
  QFile f(qs(path));
  if (!f.open(QIODevice::ReadOnly)) {
    platform::debugOutput("resources: cannot read " + path);
    return false;
  }
  QXmlStreamReader xml(f.readAll());
  std::map<std::string, std::string, std::less<>> index;
  if (xml.readNextStartElement() && xml.name() == QLatin1String("Resources")) {
    while (xml.readNextStartElement()) {
      if (xml.name() == QLatin1String("Resource")) {
        const auto a = xml.attributes();
        index[a.value("name").toString().toStdString()] = a.value("file").toString().toStdString();
      }
      xml.skipCurrentElement();
    }
  } else if (!xml.hasError()) {
    platform::debugOutput("resources: " + path + " is not a resource index");
    return false;
  }
  if (xml.hasError()) {
    platform::debugOutput("resources: " + path + ": " + xml.errorString().toStdString());
    return false;
  }
  resources_ = std::move(index);
  return true;
}

std::string Application::resolve(std::string_view nameOrFile) const {
  auto it = resources_.find(nameOrFile);
  const std::string file = it != resources_.end() ? it->second : std::string(nameOrFile);
  if (QFileInfo(qs(file)).isAbsolute()) return file;
  return skinFolder_ + file;
}

int Application::run() {
  return QApplication::exec();
}

void Application::quit(int exitCode) {
  QCoreApplication::exit(exitCode);
}

void Application::processEvents(int ms) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  do {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  } while (std::chrono::steady_clock::now() < deadline);
}

std::string programFolder() {
  if (QCoreApplication::instance())
    return withSlash(QCoreApplication::applicationDirPath().toStdString());
  return "./";
}

}  // namespace varnacle::ui
