// zarvo-desktop: finds the home and the settings as `zarvo` does (--home, ZARVO_HOME, --config,
// ZARVO_CONFIG), puts the library's main queue on Qt's event loop and shows the window.
//
// A launch on a home that has a window open hands that window its --show or --quick-add and leaves
// (single_instance.h); --quick-add without a line opens just the quick-entry box.
//
// Sync Now (Ctrl+R) syncs the home's CalDAV accounts, as `zarvo sync` does; with `interval` in the
// settings' [sync] table, the window also syncs that long after the last sync ended.
//
// --show UID selects that task and opens its details once the home is read (the reminders' Open).
//
// --screenshot FILE renders the window into a PNG once the home is shown, then quits (with --dark for
// the dark palette, --list to choose the sidebar entry, --quick-text to fill quick entry); the
// README's pictures are made this way (scripts/desktop-screenshots), never from a kept snapshot;
// --ref fixes the window's "now" so that they read the same whenever they are made.
//
// The window starts from the last run's view of the home (snapshot_cache.h) while the home is read.
// --quit-when-shown and --quit-when-read print "painted <ns on the monotonic clock>" once the first
// list, or the home's own read, is painted, and quit (desktop/bench/desktop_start_bench.py).
#include <QApplication>
#include <QDateTime>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QPalette>
#include <QStyleFactory>
#include <QTimer>

#include <chrono>
#include <iostream>

#include "desktop/main_executor.h"
#include "desktop/main_window.h"
#include "desktop/quick_add_box.h"
#include "desktop/quick_entry.h"
#include "desktop/single_instance.h"
#include "desktop/snapshot_cache.h"
#include "desktop/store_controller.h"
#include "desktop/sync_controller.h"
#include "desktop/translations.h"
#include "zarvo/home/front_end.h"
#include "zarvo/home/home.h"
#include "zarvo/home/settings.h"
#include "zarvo/platform/clock.h"

namespace {

QPalette darkPalette() {
  QPalette p;
  const QColor window(30, 30, 32), base(24, 24, 26), text(235, 235, 240);
  p.setColor(QPalette::Window, window);
  p.setColor(QPalette::WindowText, text);
  p.setColor(QPalette::Base, base);
  p.setColor(QPalette::AlternateBase, window);
  p.setColor(QPalette::Text, text);
  p.setColor(QPalette::Button, window);
  p.setColor(QPalette::ButtonText, text);
  p.setColor(QPalette::PlaceholderText, QColor(142, 142, 147));
  p.setColor(QPalette::Highlight, QColor(10, 132, 255));
  p.setColor(QPalette::HighlightedText, Qt::white);
  p.setColor(QPalette::Mid, QColor(99, 99, 102));
  return p;
}

int fail(const std::string& message) {
  std::cerr << "zarvo-desktop: " << message << std::endl;
  return 1;
}

// Reads `line` with the window's quick entry (its settings, the home's lists) once the lists are
// read, adds the task and returns when it is saved: 0, or 1 with the reason on stderr.
int quickAdd(const std::filesystem::path& home, const zarvo::Settings& settings, const QString& line) {
  const zarvo::desktop::MainQueueOnQt mainQueue;
  zarvo::desktop::StoreController::Options options;
  options.home = home;
  options.settings = settings;
  zarvo::desktop::StoreController controller(std::move(options));
  zarvo::desktop::QuickEntry entry(settings.typedLineOptions());
  QObject::connect(&controller, &zarvo::desktop::StoreController::snapshotReady, &entry,
                   [&](std::shared_ptr<const zarvo::desktop::Snapshot> snapshot) {
                     if (entry.field()->text() == line) return;  // asked already; this is the read after
                     entry.setLists(*snapshot);
                     entry.field()->setText(line);
                     const auto task = entry.pending();
                     if (!task) {
                       std::cerr << "zarvo-desktop: nothing is left of the line for a title" << std::endl;
                       QApplication::exit(1);
                       return;
                     }
                     controller.createTask(*task);
                   });
  QObject::connect(&controller, &zarvo::desktop::StoreController::created, &entry, [&] {
    std::cout << "added " << entry.preview().toStdString() << std::endl;
    QApplication::exit(0);
  });
  QObject::connect(&controller, &zarvo::desktop::StoreController::failed, &entry, [](const QString& message) {
    std::cerr << "zarvo-desktop: " << message.toStdString() << std::endl;
    QApplication::exit(1);
  });
  controller.reload();
  return QApplication::exec();
}

// The quick-entry box alone, while no window is open on the home: returns once the box closes.
int quickAddBox(const std::filesystem::path& home, const zarvo::Settings& settings) {
  const zarvo::desktop::MainQueueOnQt mainQueue;
  zarvo::desktop::StoreController::Options options;
  options.home = home;
  options.settings = settings;
  options.snapshotCache = zarvo::snapshotCachePath(home, zarvo::desktop::kSnapshotCacheName);  // the lists at once, for the highlight
  zarvo::desktop::StoreController controller(std::move(options));
  zarvo::desktop::QuickAddBox box(controller, settings.typedLineOptions());
  QObject::connect(&box, &zarvo::desktop::QuickAddBox::closed, &box, [] { QApplication::exit(0); });
  box.open();
  controller.reload();
  return QApplication::exec();
}

}  // namespace

int main(int argc, char** argv) {
  // Priorities and alarms as the command line reads and writes them, before any home is opened.
  zarvo::enableFrontEndOptions();
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("zarvo-desktop"));
  QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
  const zarvo::desktop::Translations translations;

  QCommandLineParser args;
  args.setApplicationDescription(QStringLiteral("Zarvo: your tasks, on the desktop"));
  args.addHelpOption();
  const QCommandLineOption homeOption(QStringLiteral("home"), QStringLiteral("The home folder (default: as zarvo finds it)."),
                                      QStringLiteral("DIR"));
  const QCommandLineOption configOption(QStringLiteral("config"), QStringLiteral("The settings file."), QStringLiteral("FILE"));
  const QCommandLineOption screenshotOption(QStringLiteral("screenshot"),
                                            QStringLiteral("Render the window into FILE (PNG) and quit."),
                                            QStringLiteral("FILE"));
  const QCommandLineOption darkOption(QStringLiteral("dark"), QStringLiteral("Use the dark palette."));
  const QCommandLineOption listOption(QStringLiteral("list"),
                                      QStringLiteral("Start on this list (a list's title, or today, upcoming, flagged, top, all)."),
                                      QStringLiteral("NAME"));
  const QCommandLineOption textOption(QStringLiteral("quick-text"), QStringLiteral("Start with TEXT in quick entry."),
                                      QStringLiteral("TEXT"));
  const QCommandLineOption quitOption(QStringLiteral("quit-when-shown"),
                                      QStringLiteral("Quit once the first task list is painted, the last run's while "
                                                     "the home is read (to time the start)."));
  const QCommandLineOption quitReadOption(QStringLiteral("quit-when-read"),
                                          QStringLiteral("Quit once the home's own read is painted (to time it)."));
  const QCommandLineOption quickAddOption(
      QStringLiteral("quick-add"),
      QStringLiteral("Add a task from LINE as quick entry reads it (a date, #list, !!), without a window, and quit; "
                     "without LINE, open just the quick-entry box (for a global shortcut). A LINE that starts "
                     "with - is written --quick-add=LINE."),
      QStringLiteral("LINE"));
  const QCommandLineOption showOption(QStringLiteral("show"),
                                      QStringLiteral("Select the open task with this UID and open its details."),
                                      QStringLiteral("UID"));
  const QCommandLineOption refOption(QStringLiteral("ref"),
                                     QStringLiteral("Take this local time as now (2024-03-11T17:00; default: now)."),
                                     QStringLiteral("TIME"));
  args.addOptions({homeOption, configOption, screenshotOption, darkOption, listOption, textOption, quitOption,
                   quitReadOption, quickAddOption, showOption, refOption});
  // --quick-add takes a line, or nothing (the box alone); the parser wants a value, so a bare one is
  // taken out before it reads the rest.
  QStringList arguments = QApplication::arguments();
  bool quickAddBoxAsked = false;
  for (qsizetype i = 1; i < arguments.size() && arguments[i] != QStringLiteral("--"); ++i) {
    if (arguments[i] == QStringLiteral("--quick-add") &&
        (i + 1 == arguments.size() || arguments[i + 1].startsWith(QLatin1Char('-')))) {
      quickAddBoxAsked = true;
      arguments.removeAt(i);
      break;
    }
  }
  args.process(arguments);
  if (args.isSet(refOption)) {
    const QDateTime now = QDateTime::fromString(args.value(refOption), Qt::ISODate);
    if (!now.isValid()) return fail("malformed --ref '" + args.value(refOption).toStdString() + "' (expected e.g. 2024-03-11T17:00)");
    zarvo::platform::Clock::setCurrent(std::make_shared<zarvo::platform::FixedClock>(zarvo::Date(std::chrono::milliseconds(now.toMSecsSinceEpoch()))));
  }

  std::optional<std::filesystem::path> home;
  if (args.isSet(homeOption)) home = args.value(homeOption).toStdString();
  if (!home) home = zarvo::Home::defaultPath();
  if (!home || home->empty()) return fail("no home: set HOME, XDG_DATA_HOME or ZARVO_HOME, or pass --home");
  std::optional<std::filesystem::path> config;
  if (args.isSet(configOption)) config = args.value(configOption).toStdString();
  auto settings = zarvo::loadSettings(config);
  if (!settings) return fail(settings.error().message());

  if (args.isSet(quickAddOption)) return quickAdd(*home, *settings, args.value(quickAddOption));

  // One window per home: a launch while one is open hands it the request and leaves. Pictures and
  // timed starts are runs of their own.
  const bool ownRun = args.isSet(screenshotOption) || args.isSet(quitOption) || args.isSet(quitReadOption);
  const zarvo::desktop::InstanceRequest request{args.value(showOption), quickAddBoxAsked};
  const QString instanceName = zarvo::desktop::SingleInstance::serverName(*home);
  if (!ownRun && zarvo::desktop::SingleInstance::handOver(instanceName, request)) return 0;
  if (quickAddBoxAsked) return quickAddBox(*home, *settings);
  zarvo::desktop::SingleInstance instance(instanceName);
  if (!ownRun && !instance.listen()) {
    // Another launch on the home became the window meanwhile.
    if (zarvo::desktop::SingleInstance::handOver(instanceName, request)) return 0;
    std::cerr << "zarvo-desktop: cannot listen on " << instanceName.toStdString()
              << "; a later launch opens a window of its own" << std::endl;
  }

  const bool dark = args.isSet(darkOption);
  if (dark) QApplication::setPalette(darkPalette());

  const zarvo::desktop::MainQueueOnQt mainQueue;
  zarvo::desktop::StoreController::Options options;
  options.home = *home;
  options.settings = *settings;
  // A picture shows the home as it is, never a view kept from another run.
  if (!args.isSet(screenshotOption)) options.snapshotCache = zarvo::snapshotCachePath(*home, zarvo::desktop::kSnapshotCacheName);
  zarvo::desktop::StoreController controller(std::move(options));
  zarvo::desktop::MainWindow window(controller, settings->typedLineOptions());
  window.setDark(dark);
  // A picture or a timed start syncs nothing.
  std::unique_ptr<zarvo::desktop::SyncController> sync;
  if (!ownRun) {
    zarvo::desktop::SyncController::Options syncOptions;
    syncOptions.home = std::filesystem::absolute(*home);
    syncOptions.service = settings->syncServiceOptions();
    // Conflicts are settled by the command-line program installed beside this one (else the library
    // looks for it on PATH).
    const QString cli = QApplication::applicationDirPath() + QStringLiteral("/zarvo");
    if (QFileInfo(cli).isExecutable()) {
      syncOptions.service.conflictResolver = {cli.toStdString(), "--home", syncOptions.home.string(), "sync-conflict"};
    }
    syncOptions.interval = settings->syncInterval.value_or(std::chrono::milliseconds(0));
    sync = std::make_unique<zarvo::desktop::SyncController>(std::move(syncOptions));
    window.setSync(sync.get());
  }
  window.show();
  if (args.isSet(textOption)) window.quickEntry()->field()->setText(args.value(textOption));
  if (args.isSet(showOption)) window.showTask(args.value(showOption));
  QObject::connect(&instance, &zarvo::desktop::SingleInstance::requested, &window, &zarvo::desktop::MainWindow::handle);
  if (args.isSet(listOption)) {
    // Chosen once the lists are known, on the first Snapshot.
    const QString name = args.value(listOption);
    auto choose = std::make_shared<QMetaObject::Connection>();
    *choose = QObject::connect(&window, &zarvo::desktop::MainWindow::shown, &window, [&window, name, choose] {
      QObject::disconnect(*choose);
      window.select(name);
    });
  }

  if (args.isSet(screenshotOption)) {
    const QString file = args.value(screenshotOption);
    QObject::connect(&window, &zarvo::desktop::MainWindow::shown, &window, [&window, file] {
      // One more turn of the loop lets the views lay out the new rows before the window is grabbed.
      QTimer::singleShot(200, &window, [&window, file] {
        if (!window.grab().save(file)) std::cerr << "zarvo-desktop: cannot write " << file.toStdString() << std::endl;
        QApplication::exit(0);
      });
    });
    QObject::connect(&controller, &zarvo::desktop::StoreController::failed, &window, [](const QString& message) {
      std::cerr << "zarvo-desktop: " << message.toStdString() << std::endl;
      QApplication::exit(1);
    });
  }
  if (args.isSet(quitOption) || args.isSet(quitReadOption)) {
    const bool anyList = args.isSet(quitOption);
    QObject::connect(&window, &zarvo::desktop::MainWindow::shown, &window, [&window, anyList] {
      if (!anyList && window.snapshot()->provisional) return;
      window.repaint();  // painted now, not at the loop's next turn
      // The moment on the monotonic clock, for a timer outside: quitting waits for the work queued
      // on the store (the read that is running), which is no part of the start.
      const auto painted = std::chrono::steady_clock::now().time_since_epoch();
      std::cout << "painted " << std::chrono::duration_cast<std::chrono::nanoseconds>(painted).count() << std::endl;
      QApplication::exit(0);
    });
  }
  controller.reload();
  return app.exec();
}
