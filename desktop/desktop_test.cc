// The window as a person uses it: typing into quick entry, Enter, Space, and another program (the
// real `zarvo` command) changing the home while the window is open. Every test works on one home made
// for the run; the command-line program is $ZARVO_CLI.
#include <QMessageBox>
#include <QPushButton>
#include <QProcess>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <functional>
#include <memory>

#include "desktop/due_text.h"
#include "desktop/secret_store.h"
#include "desktop/main_executor.h"
#include "desktop/main_window.h"
#include "desktop/single_instance.h"
#include "desktop/snapshot_cache.h"
#include "desktop/store_controller.h"
#include "desktop/sync_controller.h"
#include "desktop/translations.h"
#include "zarvo/home/front_end.h"
#include "zarvo/home/home_sync.h"
#include "zarvo/home/settings.h"
#include "zarvo/sync/caldav_accounts.h"
#include "zarvo/platform/clock.h"
#include "zarvo/platform/localization.h"

#include <unicode/locid.h>

using namespace zarvo::desktop;

namespace {
constexpr int kPatience = 15'000;  // ms: generous, for a loaded machine; nothing here measures speed
}

class DesktopTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void initTestCase();
  void init();
  void cleanupTestCase();
  void typedLine();
  void createsOnEnter();
  void writesReminders();
  void completesOnSpace();
  void actsOnTheSelection();
  void outsideWriteAppears();
  void searchAndOrder();
  void undoesChanges();
  void changesLists();
  void dragsListsAndTasks();
  void foldsAccounts();
  void keepsSnapshots();
  void startsFromLastRun();
  void quickAddsAndQuits();
  void readsAndWritesAsTheCommandLine();
  void showsTask();
  void editsInDetails();
  void showsSyncFailures();
  void keepsPasswordsInTheSecretService();
  void removesAccounts();
  void speaksTheLocalesLanguage();
  void reordersTasksByDrag();
  void handsOverToTheOpenWindow();
  void endToEnd();

 private:
  // Runs the command-line program on the home; its standard output.
  QByteArray zarvo(const QStringList& args);
  // The same on another home.
  QByteArray zarvoAt(const QString& home, const QStringList& args);
  QJsonArray openTasks() { return QJsonDocument::fromJson(zarvo({"ls", "--json"})).array(); }
  QJsonArray completedTasks() { return QJsonDocument::fromJson(zarvo({"ls", "--completed", "--json"})).array(); }
  static QJsonObject withTitle(const QJsonArray& tasks, const QString& title);
  int rowOf(const QString& title) const;
  QString listId(const QString& title) const;
  QStringList sidebarLists() const;
  QJsonObject storedList(const QString& title) { return withTitle(QJsonDocument::fromJson(zarvo({"lists", "--json"})).array(), title); }
  QListWidgetItem* sidebarItem(const QString& title) const;
  // The colour of the dot before a list's title in the sidebar.
  QColor sidebarColour(const QString& title) const;
  void type(const QString& line);

  // Rewrites the task file titled `title` as another client would: `edit` gets its text and returns
  // the new one.
  bool editTaskFile(const QString& title, const std::function<QString(QString)>& edit);

  QTemporaryDir dir_;
  QString home_;
  std::unique_ptr<MainQueueOnQt> mainQueue_;
  std::unique_ptr<StoreController> controller_;
  std::unique_ptr<MainWindow> window_;
  std::shared_ptr<zarvo::platform::FixedClock> clock_;
  // The window's fixed "now" as `add --ref` takes it: the command line reads its phrases against the
  // same afternoon as the window, or "tomorrow" typed by the suite after midnight means today.
  QString ref_;
};

QByteArray DesktopTest::zarvo(const QStringList& args) { return zarvoAt(home_, args); }

QByteArray DesktopTest::zarvoAt(const QString& home, const QStringList& args) {
  QProcess process;
  const QStringList ref = args.value(0) == "add" ? QStringList{"--ref", ref_} : QStringList{};
  process.start(qEnvironmentVariable("ZARVO_CLI"), QStringList{"--home", home} + args + ref);
  if (!process.waitForFinished(60'000) || process.exitCode() != 0) {
    qWarning() << "zarvo" << args << "failed:" << process.readAllStandardError();
    return {};
  }
  return process.readAllStandardOutput();
}

bool DesktopTest::editTaskFile(const QString& title, const std::function<QString(QString)>& edit) {
  QDirIterator files(home_ + "/reminders", {"*.ics"}, QDir::Files, QDirIterator::Subdirectories);
  while (files.hasNext()) {
    QFile file(files.next());
    if (!file.open(QIODevice::ReadOnly)) continue;
    const QString text = QString::fromUtf8(file.readAll());
    file.close();
    if (!text.contains("SUMMARY:" + title + "\r\n")) continue;
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(edit(text).toUtf8()) > 0;
  }
  return false;
}

QJsonObject DesktopTest::withTitle(const QJsonArray& tasks, const QString& title) {
  for (const auto& task : tasks) {
    if (task.toObject()["title"].toString() == title) return task.toObject();
  }
  return {};
}

int DesktopTest::rowOf(const QString& title) const {
  const TaskModel& model = *window_->taskModel();
  for (int row = 0; row < model.rowCount(); ++row) {
    if (model.rowAt(row)->title == title) return row;
  }
  return -1;
}

QString DesktopTest::listId(const QString& title) const {
  for (const auto& list : window_->snapshot()->lists) {
    if (list.title == title) return list.id;
  }
  return {};
}

QStringList DesktopTest::sidebarLists() const {
  QStringList titles;
  for (const auto& list : window_->snapshot()->lists) titles << list.title;
  return titles;
}

QListWidgetItem* DesktopTest::sidebarItem(const QString& title) const {
  const auto found = window_->sidebar()->findItems(title, Qt::MatchExactly);
  return found.isEmpty() ? nullptr : found.first();
}

QColor DesktopTest::sidebarColour(const QString& title) const {
  const QListWidgetItem* item = sidebarItem(title);
  if (!item) return {};
  const QImage dot = item->icon().pixmap(14, 14).toImage();
  return dot.pixelColor(dot.width() / 2, dot.height() / 2);
}

void DesktopTest::type(const QString& line) {
  QLineEdit* field = window_->quickEntry()->field();
  field->setFocus();
  field->clear();
  // One key event per character, as a keyboard (or an input method, for what is not ASCII) sends it.
  for (const char32_t c : line.toUcs4()) {
    const QString text = QString::fromUcs4(&c, 1);
    if (c < 0x80) {
      QTest::keyClicks(field, text);
    } else {
      QTest::sendKeyEvent(QTest::Press, field, Qt::Key_unknown, text, Qt::NoModifier);
      QTest::sendKeyEvent(QTest::Release, field, Qt::Key_unknown, text, Qt::NoModifier);
    }
  }
}

void DesktopTest::initTestCase() {
  QVERIFY(!qEnvironmentVariable("ZARVO_CLI").isEmpty());
  zarvo::enableFrontEndOptions();  // as zarvo-desktop's main does
  // Today at 14:50 here, whatever the hour the suite runs: "tomorrow" typed between midnight and
  // 2:00 means the day that has just begun, and the expectations below are written for the afternoon.
  const QDateTime afternoon(QDate::currentDate(), QTime(14, 50));
  ref_ = afternoon.toString("yyyy-MM-ddTHH:mm");
  clock_ = std::make_shared<zarvo::platform::FixedClock>(zarvo::Date(std::chrono::milliseconds(afternoon.toMSecsSinceEpoch())));
  zarvo::platform::Clock::setCurrent(clock_);
  QVERIFY(dir_.isValid());
  home_ = dir_.filePath("home");
  zarvo({"list-add", "Work"});
  zarvo({"add", "Already there"});
  mainQueue_ = std::make_unique<MainQueueOnQt>();
  controller_ = std::make_unique<StoreController>(StoreController::Options{home_.toStdString()});
  window_ = std::make_unique<MainWindow>(*controller_, zarvo::Settings::defaults().typedLineOptions());
  window_->show();
  QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
  controller_->reload();
  QTRY_VERIFY_WITH_TIMEOUT(window_->snapshot() != nullptr, kPatience);
  window_->sidebar()->select(SmartList::all);
  QCOMPARE(rowOf("Already there"), 0);
  QVERIFY(!listId("Work").isEmpty());
}

// Each test starts from every open task in view, whatever the one before it left selected, so that
// one failure does not cascade.
void DesktopTest::init() {
  window_->searchField()->clear();
  window_->sidebar()->select(SmartList::all);
}

void DesktopTest::cleanupTestCase() {
  window_.reset();
  controller_.reset();
  mainQueue_.reset();
}

// What the parser found is marked where it stands in the line, counted as the line edit counts
// (UTF-16: the emoji before the phrase takes two units), and the preview says what Enter makes.
void DesktopTest::typedLine() {
  QuickEntry& entry = *window_->quickEntry();
  const QString line = QString::fromUtf8("\U0001F389 Party tomorrow 5pm #work !!");
  type(line);
  using Kind = Highlight::Kind;
  const std::vector<Highlight> expected = {{Kind::date, int(line.indexOf("tomorrow 5pm")), 12},
                                           {Kind::list, int(line.indexOf("#work")), 5},
                                           {Kind::flag, int(line.indexOf("!!")), 2}};
  QCOMPARE(entry.highlights(), expected);
  QVERIFY2(entry.preview().contains("tomorrow 17:00"), qPrintable(entry.preview()));
  QVERIFY2(entry.preview().contains("in Work"), qPrintable(entry.preview()));
  QVERIFY2(entry.preview().contains("flagged"), qPrintable(entry.preview()));
  QCOMPARE(entry.pending()->title, QString::fromUtf8("\U0001F389 Party"));

  // A list nobody has is marked as such; the task goes to the default list; "!!" inside is no flag.
  type("Ask about !! pricing #Nowhere");
  QCOMPARE(entry.highlights(), (std::vector<Highlight>{{Kind::unknownList, 21, 8}}));
  QVERIFY2(entry.preview().contains("no list \"#Nowhere\": in Reminders"), qPrintable(entry.preview()));

  QTest::keyClick(entry.field(), Qt::Key_Escape);
  QVERIFY(entry.field()->text().isEmpty());
  QVERIFY(entry.highlights().empty());
  QVERIFY(!entry.pending());

  // A day without a time of day is previewed without a time, in every language the parser reads.
  using zarvo::chrono::Language;
  QuickEntry every(zarvo::QuickEntryOptions::recommended(
      {Language::english, Language::german, Language::spanish, Language::french, Language::japanese, Language::chinese},
      Language::english));
  every.setLists(*window_->snapshot());
  const struct {
    const char* line;
    const char* due;
  } days[] = {
      {"Pay rent tomorrow", "tomorrow"},           {"Miete zahlen morgen", "tomorrow"},
      {"Pagar el alquiler mañana", "tomorrow"},    {"Payer le loyer demain", "tomorrow"},
      {"家賃を払う 明日", "tomorrow"},             {"交房租 明天", "tomorrow"},
      {"Call Anna tomorrow 5pm", "tomorrow 17:00"},
  };
  for (const auto& day : days) {
    every.field()->setText(QString::fromUtf8(day.line));
    QVERIFY2(every.pending() && every.pending()->due, day.line);
    QCOMPARE(every.pending()->allDay, !QByteArray(day.due).contains(':'));
    const QString due = QStringLiteral("Due %1 \u00B7").arg(QString::fromUtf8(day.due));
    QVERIFY2(every.preview().contains(due), qPrintable(every.preview()));
  }
}

// Enter makes the task the preview announced, in the home (as the command line reads it) and in the
// window.
void DesktopTest::createsOnEnter() {
  type("Water plants tomorrow 9am #Work !!");
  QTest::keyClick(window_->quickEntry()->field(), Qt::Key_Return);
  QVERIFY(window_->quickEntry()->field()->text().isEmpty());
  QTRY_VERIFY_WITH_TIMEOUT(rowOf("Water plants") >= 0, kPatience);
  const TaskRow& row = *window_->taskModel()->rowAt(rowOf("Water plants"));
  QVERIFY(row.flagged);
  QCOMPARE(row.listId, listId("Work"));
  const QModelIndex index = window_->taskModel()->index(rowOf("Water plants"));
  QCOMPARE(index.data(TaskModel::DueTextRole).toString(), QString("tomorrow 09:00"));

  const QJsonObject stored = withTitle(openTasks(), "Water plants");
  QCOMPARE(stored["list"].toString(), QString("Work"));
  QCOMPARE(stored["flagged"].toBool(), true);
  QVERIFY(stored["dueDate"].toString().contains("T09:00:00"));

  // A day without a time is stored as a date and shown without one; a repetition is kept.
  type("Pay rent tomorrow every month");
  QTest::keyClick(window_->quickEntry()->field(), Qt::Key_Return);
  QTRY_VERIFY_WITH_TIMEOUT(rowOf("Pay rent") >= 0, kPatience);
  QCOMPARE(window_->taskModel()->index(rowOf("Pay rent")).data(TaskModel::DueTextRole).toString(), QString("tomorrow"));
  const QJsonObject rent = withTitle(openTasks(), "Pay rent");
  QCOMPARE(rent["dueDate"].toString(), QDateTime(QDate::currentDate().addDays(1), QTime()).toString("yyyy-MM-dd"));
  QVERIFY2(!rent["recurrence"].toString().isEmpty(), QJsonDocument(rent).toJson().constData());

  // Enter on a line with nothing left for a title creates nothing.
  type("tomorrow");
  QTest::keyClick(window_->quickEntry()->field(), Qt::Key_Return);
  QCOMPARE(window_->quickEntry()->field()->text(), QString("tomorrow"));
}

// A "remind me" phrase shows in the preview and is written as the task's alarm, as `zarvo add` writes it.
void DesktopTest::writesReminders() {
  type("call mum tomorrow 5pm remind me 1h before");
  QVERIFY2(window_->quickEntry()->preview().contains("reminder 1 hour before"), qPrintable(window_->quickEntry()->preview()));
  const QString line = window_->quickEntry()->field()->text();
  const auto& marks = window_->quickEntry()->highlights();
  QVERIFY(std::find(marks.begin(), marks.end(), Highlight{Highlight::Kind::reminder, int(line.indexOf("remind me")), 19}) != marks.end());
  QVERIFY(std::find(marks.begin(), marks.end(), Highlight{Highlight::Kind::date, int(line.indexOf("tomorrow")), 12}) != marks.end());
  QVERIFY2(window_->quickEntry()->preview().startsWith(QString::fromUtf8("\u201Ccall mum\u201D")), qPrintable(window_->quickEntry()->preview()));
  QTest::keyClick(window_->quickEntry()->field(), Qt::Key_Return);
  QTRY_VERIFY_WITH_TIMEOUT(rowOf("call mum") >= 0, kPatience);
  QString file;
  QVERIFY(editTaskFile("call mum", [&](QString text) { return file = text; }));
  QVERIFY2(file.contains("BEGIN:VALARM") && file.contains(":-PT1H\r\n"), qPrintable(file));
  QVERIFY(withTitle(openTasks(), "call mum")["dueDate"].toString().contains("T17:00:00"));

  // Without a time of day the length counts from now; a day alone rings at nine.
  type("water plants remind me friday");
  QVERIFY2(window_->quickEntry()->preview().contains("reminder "), qPrintable(window_->quickEntry()->preview()));
  QVERIFY2(window_->quickEntry()->preview().contains("09:00"), qPrintable(window_->quickEntry()->preview()));
  QTest::keyClick(window_->quickEntry()->field(), Qt::Key_Escape);

  // `[quick-entry] reminders = false`: the phrase is read as words of the title.
  const auto off = zarvo::parseSettings("[quick-entry]\nreminders = false", "config.toml");
  QVERIFY(bool(off));
  QuickEntry plain(off->typedLineOptions());
  plain.field()->setText("call mum tomorrow 5pm remind me 1h before");
  QVERIFY2(!plain.preview().contains("reminder"), qPrintable(plain.preview()));
  QVERIFY2(plain.preview().contains("remind me 1h before"), qPrintable(plain.preview()));
}

// Space completes the selected task and no other; the rest keep their place.
void DesktopTest::completesOnSpace() {
  zarvo({"add", "Sweep floor"});
  zarvo({"add", "Mop floor"});
  QTRY_VERIFY_WITH_TIMEOUT(rowOf("Sweep floor") >= 0 && rowOf("Mop floor") >= 0, kPatience);
  QListView* view = window_->taskView();
  view->setFocus();
  view->setCurrentIndex(window_->taskModel()->index(rowOf("Sweep floor")));
  QTest::keyClick(view, Qt::Key_Space);
  QTRY_VERIFY_WITH_TIMEOUT(rowOf("Sweep floor") < 0, kPatience);
  QVERIFY(rowOf("Mop floor") >= 0);
  QVERIFY(!withTitle(completedTasks(), "Sweep floor").isEmpty());
  QVERIFY(!withTitle(openTasks(), "Mop floor").isEmpty());
}

// Several tasks selected (Shift, Ctrl) are flagged, moved, completed and deleted together, each as
// one change that one undo takes back; the task left out is never touched.
void DesktopTest::actsOnTheSelection() {
  for (const char* title : {"Batch one", "Batch two", "Batch left out"}) zarvo({"add", title});
  QTRY_VERIFY_WITH_TIMEOUT(rowOf("Batch one") >= 0 && rowOf("Batch two") >= 0 && rowOf("Batch left out") >= 0, kPatience);
  QListView* view = window_->taskView();
  view->setFocus();
  auto select = [&] {
    view->clearSelection();
    for (const char* title : {"Batch one", "Batch two"}) {
      QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::ControlModifier,
                        view->visualRect(window_->taskModel()->index(rowOf(title))).center());
    }
    QCOMPARE(view->selectionModel()->selectedIndexes().size(), 2);
  };
  auto row = [this](const QString& title) { return window_->taskModel()->rowAt(rowOf(title)); };
  auto stored = [this](const QString& title) { return withTitle(openTasks(), title); };
  auto undoText = [this] { return window_->undoAction()->text(); };

  select();
  QTest::keyClick(view, Qt::Key_F, Qt::ControlModifier | Qt::ShiftModifier);
  QTRY_COMPARE_WITH_TIMEOUT(undoText(), QString("Undo Flag 2 tasks"), kPatience);
  QTRY_VERIFY_WITH_TIMEOUT(row("Batch one") && row("Batch one")->flagged && row("Batch two") && row("Batch two")->flagged, kPatience);
  QVERIFY(!row("Batch left out")->flagged);
  QVERIFY(stored("Batch one")["flagged"].toBool() && stored("Batch two")["flagged"].toBool());

  select();
  QTest::keyClick(view, Qt::Key_M, Qt::ControlModifier);
  QTRY_VERIFY_WITH_TIMEOUT(window_->moveMenu() && window_->moveMenu()->isVisible(), kPatience);
  const auto lists = window_->moveMenu()->actions();
  const auto work = std::find_if(lists.begin(), lists.end(), [](QAction* a) { return a->text() == "Work"; });
  QVERIFY(work != lists.end());
  (*work)->trigger();
  window_->moveMenu()->close();
  QTRY_COMPARE_WITH_TIMEOUT(undoText(), QString("Undo Move 2 tasks"), kPatience);
  QCOMPARE(stored("Batch one")["list"].toString(), QString("Work"));
  QCOMPARE(stored("Batch two")["list"].toString(), QString("Work"));
  QCOMPARE(stored("Batch left out")["list"].toString(), QString("Reminders"));
  window_->undoAction()->trigger();
  QTRY_COMPARE_WITH_TIMEOUT(stored("Batch two")["list"].toString(), QString("Reminders"), kPatience);
  QCOMPARE(stored("Batch one")["list"].toString(), QString("Reminders"));

  QTRY_VERIFY_WITH_TIMEOUT(rowOf("Batch one") >= 0 && rowOf("Batch two") >= 0, kPatience);
  select();
  QTest::keyClick(view, Qt::Key_Space);
  QTRY_VERIFY_WITH_TIMEOUT(rowOf("Batch one") < 0 && rowOf("Batch two") < 0, kPatience);
  QVERIFY(rowOf("Batch left out") >= 0);
  QTRY_COMPARE_WITH_TIMEOUT(undoText(), QString("Undo Done 2 tasks"), kPatience);
  window_->undoAction()->trigger();
  QTRY_VERIFY_WITH_TIMEOUT(rowOf("Batch one") >= 0 && rowOf("Batch two") >= 0, kPatience);

  select();
  QTest::keyClick(view, Qt::Key_Delete);
  QTRY_VERIFY_WITH_TIMEOUT(rowOf("Batch one") < 0 && rowOf("Batch two") < 0, kPatience);
  QVERIFY(stored("Batch one").isEmpty() && withTitle(completedTasks(), "Batch one").isEmpty());
  QTRY_COMPARE_WITH_TIMEOUT(undoText(), QString("Undo Delete 2 tasks"), kPatience);
  window_->undoAction()->trigger();
  QTRY_VERIFY_WITH_TIMEOUT(rowOf("Batch one") >= 0 && rowOf("Batch two") >= 0, kPatience);
  QVERIFY(!stored("Batch two").isEmpty());
  QVERIFY(rowOf("Batch left out") >= 0);
}

// A task added by the command line while the window is open shows up, and the selection stays on
// the task it was on.
void DesktopTest::outsideWriteAppears() {
  QListView* view = window_->taskView();
  const int selected = rowOf("Already there");
  QVERIFY(selected >= 0);
  view->setCurrentIndex(window_->taskModel()->index(selected));
  zarvo({"add", "Arrived from outside yesterday #Work"});
  QTRY_VERIFY_WITH_TIMEOUT(rowOf("Arrived from outside") >= 0, kPatience);
  QCOMPARE(view->currentIndex().data().toString(), QString("Already there"));
  QVERIFY(view->selectionModel()->isSelected(view->currentIndex()));
  QVERIFY(window_->taskModel()->index(rowOf("Arrived from outside")).data(TaskModel::OverdueRole).toBool());

  // Tags given from outside show on the row, sorted, and are said with it.
  zarvo({"tag", withTitle(openTasks(), "Arrived from outside")["id"].toString(), "home", "errand"});
  const auto tags = [this] { return window_->taskModel()->index(rowOf("Arrived from outside")).data(TaskModel::TagsRole).toStringList(); };
  QTRY_COMPARE_WITH_TIMEOUT(tags(), (QStringList{"errand", "home"}), kPatience);
  QVERIFY(window_->taskModel()->index(rowOf("Arrived from outside")).data(Qt::AccessibleTextRole).toString().endsWith("#errand, #home"));
}

// The search finds titles and notes ignoring case and accents (the library's search) and leaves the
// sidebar's counts alone; each order is the library's sorter.
void DesktopTest::searchAndOrder() {
  zarvo({"add", "Crème brûlée for the party"});
  zarvo({"add", "--notes", "ask for the CREME fraiche", "Call the dairy"});
  zarvo({"add", "--priority", "3", "Zero in on the urgent bug"});
  QTRY_VERIFY_WITH_TIMEOUT(rowOf("Call the dairy") >= 0 && rowOf("Zero in on the urgent bug") >= 0, kPatience);
  const int64_t allCount = window_->snapshot()->count(SmartList::all);

  QTest::keyClicks(window_->searchField(), "creme");
  QTRY_COMPARE_WITH_TIMEOUT(window_->taskModel()->rowCount(), 2, kPatience);
  QVERIFY(rowOf(QString::fromUtf8("Crème brûlée for the party")) >= 0);
  QVERIFY(rowOf("Call the dairy") >= 0);
  QCOMPARE(window_->snapshot()->count(SmartList::all), allCount);
  window_->searchField()->clear();
  QTRY_COMPARE_WITH_TIMEOUT(window_->taskModel()->rowCount(), int(allCount), kPatience);

  auto titles = [this] {
    QStringList list;
    for (int row = 0; row < window_->taskModel()->rowCount(); ++row) list << window_->taskModel()->rowAt(row)->title;
    return list;
  };
  window_->orderBox()->setCurrentIndex(window_->orderBox()->findData(int(Order::title)));
  auto titleOrder = [&] {
    const QStringList shown = titles();
    return std::is_sorted(shown.begin(), shown.end());
  };
  QTRY_VERIFY_WITH_TIMEOUT(titleOrder(), kPatience);
  // View > Sort By chooses the same orders, and follows the box.
  const QList<QAction*> sorts = window_->sortMenu()->actions();
  QCOMPARE(sorts.size(), window_->orderBox()->count());
  QVERIFY(sorts[window_->orderBox()->findData(int(Order::title))]->isChecked());
  sorts[window_->orderBox()->findData(int(Order::priority))]->trigger();
  QCOMPARE(window_->orderBox()->currentData().toInt(), int(Order::priority));
  QTRY_COMPARE_WITH_TIMEOUT(titles().first(), QString("Zero in on the urgent bug"), kPatience);
  window_->orderBox()->setCurrentIndex(window_->orderBox()->findData(int(Order::dueDate)));
  QTRY_VERIFY_WITH_TIMEOUT(titles().first() != "Zero in on the urgent bug", kPatience);
}

// Ctrl+Z undoes the newest change of the home, whichever program made it, and the Edit menu names
// it; in a field that holds text it undoes the typing instead.
void DesktopTest::undoesChanges() {
  QAction* undo = window_->undoAction();
  QLineEdit* field = window_->quickEntry()->field();
  QListView* view = window_->taskView();
  auto undoText = [undo] { return undo->text(); };
  window_->activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(window_.get()));

  // Made here, undone from the emptied quick entry.
  type("Buy milk");
  QTest::keyClick(field, Qt::Key_Return);
  QTRY_COMPARE_WITH_TIMEOUT(undoText(), QString("Undo Add 'Buy milk'"), kPatience);
  QVERIFY(rowOf("Buy milk") >= 0);
  QTest::keyClick(field, Qt::Key_Z, Qt::ControlModifier);
  QTRY_VERIFY_WITH_TIMEOUT(rowOf("Buy milk") < 0, kPatience);
  QVERIFY(withTitle(openTasks(), "Buy milk").isEmpty());
  QTRY_VERIFY_WITH_TIMEOUT(undoText() != "Undo Add 'Buy milk'", kPatience);

  // Completed with Space, opened again with Ctrl+Z in the task list.
  QTRY_VERIFY_WITH_TIMEOUT(rowOf("Mop floor") >= 0, kPatience);
  view->setFocus();
  view->setCurrentIndex(window_->taskModel()->index(rowOf("Mop floor")));
  QTest::keyClick(view, Qt::Key_Space);
  QTRY_COMPARE_WITH_TIMEOUT(undoText(), QString("Undo Done 'Mop floor'"), kPatience);
  QTRY_VERIFY_WITH_TIMEOUT(rowOf("Mop floor") < 0, kPatience);
  QTest::keyClick(view, Qt::Key_Z, Qt::ControlModifier);
  QTRY_VERIFY_WITH_TIMEOUT(rowOf("Mop floor") >= 0, kPatience);
  QVERIFY(!withTitle(openTasks(), "Mop floor").isEmpty());

  // A change the command line made is the newest: the menu names it and the window undoes it.
  zarvo({"add", "Sent from the terminal"});
  QTRY_COMPARE_WITH_TIMEOUT(undoText(), QString("Undo Add 'Sent from the terminal'"), kPatience);
  QTRY_VERIFY_WITH_TIMEOUT(rowOf("Sent from the terminal") >= 0, kPatience);
  undo->trigger();
  QTRY_VERIFY_WITH_TIMEOUT(rowOf("Sent from the terminal") < 0, kPatience);
  QVERIFY(withTitle(openTasks(), "Sent from the terminal").isEmpty());

  // With text typed, Ctrl+Z belongs to the field.
  QSignalSpy triggered(undo, &QAction::triggered);
  type("Half a line");
  QTest::keyClick(field, Qt::Key_Z, Qt::ControlModifier);
  QCOMPARE(triggered.count(), 0);
  QVERIFY(field->text() != "Half a line");
  field->clear();
}

// A list is added from the field under the sidebar, renamed with F2 and recoloured from its context
// menu, and removed after a question; the command line reads each change, the Edit menu names the
// last and takes it back (Undo) or makes it again (Redo).
void DesktopTest::changesLists() {
  Sidebar* sidebar = window_->sidebar();
  QTest::mouseClick(window_->newListField(), Qt::LeftButton);
  QTest::keyClicks(window_->newListField(), "Errands");
  QTest::keyClick(window_->newListField(), Qt::Key_Return);
  QTRY_VERIFY_WITH_TIMEOUT(sidebarItem("Errands") != nullptr, kPatience);
  QVERIFY(!storedList("Errands").isEmpty());
  QTRY_COMPARE_WITH_TIMEOUT(window_->undoAction()->text(), QString("Undo Add list 'Errands'"), kPatience);

  sidebar->setFocus();
  sidebar->setCurrentItem(sidebarItem("Errands"));
  QTest::keyClick(sidebar, Qt::Key_F2);
  QLineEdit* editor = sidebar->findChild<QLineEdit*>();
  QVERIFY(editor != nullptr);
  editor->selectAll();
  QTest::keyClicks(editor, "Chores");
  QTest::keyClick(editor, Qt::Key_Return);
  QTRY_VERIFY_WITH_TIMEOUT(sidebarLists().contains("Chores") && !sidebarLists().contains("Errands"), kPatience);
  QVERIFY(!storedList("Chores").isEmpty());

  // The menu key opens the colours of the current list: red (the first), then orange (the second).
  auto recolour = [&](int downs, const QString& name) {
    sidebar->setCurrentItem(sidebarItem("Chores"));
    QContextMenuEvent menuKey(QContextMenuEvent::Keyboard, QPoint(), sidebar->mapToGlobal(QPoint()));
    QApplication::sendEvent(sidebar->viewport(), &menuKey);
    QTRY_VERIFY_WITH_TIMEOUT(sidebar->contextMenu() && sidebar->contextMenu()->isVisible(), kPatience);
    for (int i = 0; i < downs; ++i) QTest::keyClick(sidebar->contextMenu(), Qt::Key_Down);
    QCOMPARE(sidebar->contextMenu()->activeAction()->text(), name);
    QTest::keyClick(sidebar->contextMenu(), Qt::Key_Return);
  };
  const QColor red(255, 59, 48), orange(255, 149, 0);
  recolour(1, "Red");
  QTRY_COMPARE_WITH_TIMEOUT(storedList("Chores")["color"].toString().toUpper(), QString("#FF3B30"), kPatience);
  QTRY_COMPARE_WITH_TIMEOUT(sidebarColour("Chores"), red, kPatience);
  recolour(2, "Orange");
  QTRY_COMPARE_WITH_TIMEOUT(sidebarColour("Chores"), orange, kPatience);
  QTRY_COMPARE_WITH_TIMEOUT(window_->undoAction()->text(), QString("Undo Recolour list 'Chores'"), kPatience);

  // Undoing the recolour brings the old colour back, in the files and in the sidebar's dot.
  window_->undoAction()->trigger();
  QTRY_COMPARE_WITH_TIMEOUT(storedList("Chores")["color"].toString().toUpper(), QString("#FF3B30"), kPatience);
  QTRY_COMPARE_WITH_TIMEOUT(sidebarColour("Chores"), red, kPatience);
  // ... and so does the command line's undo, from outside.
  recolour(2, "Orange");
  QTRY_COMPARE_WITH_TIMEOUT(sidebarColour("Chores"), orange, kPatience);
  zarvo({"undo"});
  QCOMPARE(storedList("Chores")["color"].toString().toUpper(), QString("#FF3B30"));
  QTRY_COMPARE_WITH_TIMEOUT(sidebarColour("Chores"), red, kPatience);

  // Removing asks first: Cancel keeps the list, Remove takes it (and its tasks) away; Undo brings it
  // back with its colour, Redo removes it again.
  zarvo({"add", "Sweep the yard #Chores"});
  QTRY_VERIFY_WITH_TIMEOUT(!storedList("Chores").isEmpty(), kPatience);
  auto answerRemoval = [&](QMessageBox::ButtonRole role) {
    sidebar->setCurrentItem(sidebarItem("Chores"));
    QContextMenuEvent menuKey(QContextMenuEvent::Keyboard, QPoint(), sidebar->mapToGlobal(QPoint()));
    QApplication::sendEvent(sidebar->viewport(), &menuKey);
    QTRY_VERIFY_WITH_TIMEOUT(sidebar->contextMenu() && sidebar->contextMenu()->isVisible(), kPatience);
    const auto actions = sidebar->contextMenu()->actions();
    const auto remove = std::find_if(actions.begin(), actions.end(), [](QAction* a) { return a->text().startsWith("Remove"); });
    QVERIFY(remove != actions.end());
    (*remove)->trigger();
    sidebar->contextMenu()->close();
    QMessageBox* question = nullptr;
    QTRY_VERIFY_WITH_TIMEOUT((question = window_->findChild<QMessageBox*>("removeListQuestion")) && question->isVisible(),
                             kPatience);
    QVERIFY(question->text().contains("Chores"));
    for (QAbstractButton* button : question->buttons()) {
      if (question->buttonRole(button) == role) QTest::mouseClick(button, Qt::LeftButton);
    }
  };
  answerRemoval(QMessageBox::RejectRole);
  QTRY_VERIFY_WITH_TIMEOUT(window_->findChild<QMessageBox*>("removeListQuestion") == nullptr, kPatience);
  QVERIFY(!storedList("Chores").isEmpty());
  answerRemoval(QMessageBox::DestructiveRole);
  QTRY_VERIFY_WITH_TIMEOUT(!sidebarLists().contains("Chores"), kPatience);
  QVERIFY(storedList("Chores").isEmpty());
  QVERIFY(withTitle(openTasks(), "Sweep the yard").isEmpty());
  QTRY_COMPARE_WITH_TIMEOUT(window_->undoAction()->text(), QString("Undo Remove list 'Chores'"), kPatience);
  window_->undoAction()->trigger();
  QTRY_VERIFY_WITH_TIMEOUT(sidebarLists().contains("Chores"), kPatience);
  QTRY_COMPARE_WITH_TIMEOUT(sidebarColour("Chores"), red, kPatience);
  QVERIFY(!withTitle(openTasks(), "Sweep the yard").isEmpty());
  QTRY_COMPARE_WITH_TIMEOUT(window_->redoAction()->text(), QString("Redo Remove list 'Chores'"), kPatience);
  window_->redoAction()->trigger();
  QTRY_VERIFY_WITH_TIMEOUT(!sidebarLists().contains("Chores"), kPatience);
  QVERIFY(storedList("Chores").isEmpty());
  QTRY_VERIFY_WITH_TIMEOUT(!window_->redoAction()->isEnabled(), kPatience);
  window_->undoAction()->trigger();
  QTRY_VERIFY_WITH_TIMEOUT(sidebarLists().contains("Chores"), kPatience);

  // Every control a person can reach has a name a screen reader says.
  QStringList unnamed;
  for (QWidget* widget : window_->findChildren<QWidget*>()) {
    if (widget->isVisibleTo(window_.get()) && widget->focusPolicy() != Qt::NoFocus && widget->accessibleName().isEmpty()) {
      unnamed << QString::fromLatin1(widget->metaObject()->className()) + " " + widget->objectName();
    }
  }
  QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(", ")));
}

// A list dragged onto another's place takes it; tasks dragged onto a list move there (two at once
// with one change); a drop on a smart list does nothing. Each drag is undone whole.
void DesktopTest::dragsListsAndTasks() {
  zarvo({"list-add", "Alpha"});
  zarvo({"list-add", "Beta"});
  zarvo({"add", "Drag me"});
  zarvo({"add", "Drag me too"});
  window_->sidebar()->select(SmartList::all);
  QTRY_VERIFY_WITH_TIMEOUT(sidebarItem("Beta") && rowOf("Drag me") >= 0 && rowOf("Drag me too") >= 0, kPatience);
  Sidebar* sidebar = window_->sidebar();
  auto storedOrder = [this] {
    QStringList titles;
    for (const auto& list : QJsonDocument::fromJson(zarvo({"lists", "--json"})).array()) titles << list.toObject()["title"].toString();
    return titles;
  };
  // Dragged as the views start a drag: the data of the dragged rows, then the events of the drop.
  auto drop = [&](QMimeData* mime, const QString& onto) {
    const std::unique_ptr<QMimeData> owned(mime);
    const QPoint at = sidebar->visualItemRect(sidebar->findItems(onto, Qt::MatchExactly).first()).center();
    const Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction;
    QDragEnterEvent enter(at, actions, mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(sidebar->viewport(), &enter);
    QDragMoveEvent move(at, actions, mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(sidebar->viewport(), &move);
    if (!move.isAccepted()) return false;
    QDropEvent dropped(QPointF(at), actions, mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(sidebar->viewport(), &dropped);
    return dropped.isAccepted();
  };
  auto listData = [&](const QString& title) {
    return sidebar->model()->mimeData({sidebar->indexFromItem(sidebarItem(title))});
  };

  const QStringList before = sidebarLists();
  QVERIFY(before.indexOf("Beta") > 0);
  QVERIFY(drop(listData("Beta"), before.first()));
  QTRY_COMPARE_WITH_TIMEOUT(sidebarLists().first(), QString("Beta"), kPatience);
  QCOMPARE(storedOrder().first(), QString("Beta"));
  QTRY_COMPARE_WITH_TIMEOUT(window_->undoAction()->text(), QString("Undo Move list 'Beta'"), kPatience);
  window_->undoAction()->trigger();
  QTRY_COMPARE_WITH_TIMEOUT(sidebarLists(), before, kPatience);

  TaskModel* model = window_->taskModel();
  QVERIFY(!drop(model->mimeData({model->index(rowOf("Drag me"))}), "Flagged"));
  QVERIFY(drop(model->mimeData({model->index(rowOf("Drag me")), model->index(rowOf("Drag me too"))}), "Alpha"));
  QTRY_COMPARE_WITH_TIMEOUT(withTitle(openTasks(), "Drag me")["list"].toString(), QString("Alpha"), kPatience);
  QCOMPARE(withTitle(openTasks(), "Drag me too")["list"].toString(), QString("Alpha"));
  QTRY_COMPARE_WITH_TIMEOUT(window_->undoAction()->text(), QString("Undo Move 2 tasks"), kPatience);
  QVERIFY(sidebarItem("Alpha") != nullptr && sidebarLists() == before);  // the drop moved no list
  window_->undoAction()->trigger();
  QTRY_COMPARE_WITH_TIMEOUT(withTitle(openTasks(), "Drag me too")["list"].toString(), QString("Reminders"), kPatience);
  QCOMPARE(withTitle(openTasks(), "Drag me")["list"].toString(), QString("Reminders"));
}

namespace {
TaskRow taskRow(const QString& uid, const QString& listId, bool today) {
  TaskRow row;
  row.uid = row.title = uid;
  row.listId = listId;
  row.today = today;
  return row;
}
}  // namespace

// The last run's view goes through the library's cache and comes back as it was shown, marked as
// not yet read; what the history says is not kept (an undo is offered from the home's own read only).
void DesktopTest::keepsSnapshots() {
  Snapshot snapshot;
  snapshot.lists.push_back({"local/a", "Work", zarvo::platform::Colour::rgb({0, 122, 255, 255}), 3, "3 tasks", {}, false});
  snapshot.lists.push_back({"local/b", QString::fromUtf8("Küche"), zarvo::platform::Colour::label(), 1, "1 task", {}, false});
  snapshot.lists.push_back({"dav/c", "Shared", zarvo::platform::Colour::label(), 0, "0 tasks", "dav", true});
  for (int i = 0; i < 4; ++i) snapshot.tasks.push_back(taskRow(QString("w%1").arg(i), "local/a", i == 2));
  snapshot.tasks.push_back(taskRow(QString::fromUtf8("\U0001F389 k"), "local/b", false));
  snapshot.tasks[1].due = QDateTime::fromMSecsSinceEpoch(1'765'000'000'000);
  snapshot.tasks[1].allDay = snapshot.tasks[1].flagged = snapshot.tasks[1].top = true;
  snapshot.tasks[1].priority = 3;
  snapshot.tasks[1].tags = QStringList{"errand", QString::fromUtf8("zuhause \u00E4")};
  snapshot.tasks[2].titleColour = zarvo::platform::Colour::systemRed();
  snapshot.tasks[3].upcoming = true;
  snapshot.tasks[3].listColour = zarvo::platform::Colour::systemOrange();
  snapshot.defaultListId = "local/a";
  snapshot.smartCounts = {1, 2, 3, 4, 5};
  snapshot.lastChange = "add 'w0'";

  const auto back = zarvo::decodeCachedView(zarvo::encodeCachedView(cachedView(snapshot), "/h"), "/h");
  QVERIFY(back);
  const Snapshot shown = snapshotOf(*back);
  QVERIFY(shown.provisional);
  QCOMPARE(shown.tasks, snapshot.tasks);
  QCOMPARE(shown.lists.size(), snapshot.lists.size());
  for (size_t i = 0; i < snapshot.lists.size(); ++i) {
    QCOMPARE(shown.lists[i].id, snapshot.lists[i].id);
    QCOMPARE(shown.lists[i].title, snapshot.lists[i].title);
    QVERIFY(shown.lists[i].colour == snapshot.lists[i].colour);
    QCOMPARE(shown.lists[i].openCount, snapshot.lists[i].openCount);
    QCOMPARE(shown.lists[i].countTitle, snapshot.lists[i].countTitle);
    QCOMPARE(shown.lists[i].account, snapshot.lists[i].account);
    QCOMPARE(shown.lists[i].collapsed, snapshot.lists[i].collapsed);
  }
  QCOMPARE(shown.smartCounts, snapshot.smartCounts);
  QCOMPARE(shown.defaultListId, snapshot.defaultListId);
  QVERIFY(shown.lastChange.isEmpty());
}

// A window started with a kept snapshot shows it at once, marked as not yet read, then the home as
// it is; and keeps that for the next start.
void DesktopTest::startsFromLastRun() {
  const QString cache = dir_.filePath("start.snapshot");
  Snapshot last;
  last.lists.push_back({listId("Work"), "Work", zarvo::platform::Colour::label(), 1, "1 task", {}, false});
  last.tasks.push_back(taskRow("gone-since", listId("Work"), false));
  last.tasks.back().title = "From the last run";
  QVERIFY(!zarvo::storeCachedView(*zarvo::platform::FileSystem::posix(), cache.toStdString(), home_.toStdString(), cachedView(last)));

  window_.reset();
  controller_.reset();
  StoreController::Options options{home_.toStdString()};
  options.snapshotCache = cache.toStdString();
  controller_ = std::make_unique<StoreController>(options);
  window_ = std::make_unique<MainWindow>(*controller_, zarvo::Settings::defaults().typedLineOptions());
  window_->sidebar()->select(SmartList::all);
  struct Seen {
    bool provisional, lastRunRow;
    QString status;
  };
  std::vector<Seen> seen;
  const auto watch = connect(window_.get(), &MainWindow::shown, this, [&] {
    seen.push_back({window_->snapshot()->provisional, rowOf("From the last run") >= 0, window_->statusBar()->currentMessage()});
  });
  window_->show();
  controller_->reload();
  QTRY_VERIFY_WITH_TIMEOUT(window_->snapshot() && !window_->snapshot()->provisional, kPatience);
  disconnect(watch);
  QVERIFY(seen.size() >= 2);
  QVERIFY(seen.front().provisional && seen.front().lastRunRow);
  QCOMPARE(seen.front().status, QString::fromUtf8("Reading your tasks…"));
  QVERIFY(!seen.back().lastRunRow && seen.back().status.isEmpty());
  QVERIFY(rowOf("Already there") >= 0);

  // The home's read is kept for the next start.
  auto kept = [&] { return zarvo::loadCachedView(*zarvo::platform::FileSystem::posix(), cache.toStdString(), home_.toStdString()); };
  QTRY_VERIFY_WITH_TIMEOUT(kept() && !kept()->tasks.empty() && kept()->tasks.front().uid != "gone-since", kPatience);
  const auto next = kept();
  QVERIFY(std::any_of(next->tasks.begin(), next->tasks.end(), [](const auto& task) { return task.title == "Already there"; }));

  // The cache goes through the home's file system: where that cannot write, the window still shows
  // the home's read, and no file is left.
  auto faults = std::make_shared<zarvo::platform::FaultInjectingFileSystem>(zarvo::platform::FileSystem::posix());
  faults->setReadOnly(dir_.filePath("unwritable").toStdString());
  options.snapshotCache = dir_.filePath("unwritable/start.snapshot").toStdString();
  options.homeOptions.fileSystem = faults;
  {
    StoreController unwritable(options);
    bool read = false;
    connect(&unwritable, &StoreController::snapshotReady, this, [&](const auto& snapshot) { read = read || !snapshot->provisional; });
    unwritable.reload();
    QTRY_VERIFY_WITH_TIMEOUT(read, kPatience);
  }  // its queued work is done once it is gone
  QVERIFY(!QFile::exists(dir_.filePath("unwritable/start.snapshot")));
}

// Each field of the details pane changes the task in its file, as one change that one undo takes
// back; a due typed in words is read as quick entry reads it; what is not a date changes nothing.
void DesktopTest::editsInDetails() {
  zarvo({"add", "Edit me #Work"});
  QTRY_VERIFY_WITH_TIMEOUT(rowOf("Edit me") >= 0, kPatience);
  window_->sidebar()->select(SmartList::all);
  QListView* view = window_->taskView();
  view->setFocus();
  view->setCurrentIndex(window_->taskModel()->index(rowOf("Edit me")));
  QTest::keyClick(view, Qt::Key_Return);
  DetailsPane* details = window_->details();
  QTRY_COMPARE_WITH_TIMEOUT(details->titleText(), QString("Edit me"), kPatience);
  auto retype = [](QLineEdit* field, const QString& text) {
    field->setFocus();
    field->selectAll();
    QTest::keyClicks(field, text);
    QTest::keyClick(field, Qt::Key_Return);
  };
  auto stored = [this](const QString& title) { return withTitle(openTasks(), title); };

  retype(details->titleField(), "Edited");
  QTRY_VERIFY_WITH_TIMEOUT(!stored("Edited").isEmpty(), kPatience);
  QTRY_COMPARE_WITH_TIMEOUT(window_->undoAction()->text(), QString("Undo Edit 'Edit me'"), kPatience);
  QTRY_VERIFY_WITH_TIMEOUT(rowOf("Edited") >= 0, kPatience);

  // Words, read by the quick-entry engine: a time makes a timed due, a day alone an all-day one.
  retype(details->dueField(), "24 December 2031 5pm");
  QTRY_VERIFY_WITH_TIMEOUT(!stored("Edited")["dueDate"].toString().isEmpty(), kPatience);
  const QDateTime due = QDateTime::fromString(stored("Edited")["dueDate"].toString(), Qt::ISODateWithMs);
  QCOMPARE(due.toLocalTime(), QDateTime(QDate(2031, 12, 24), QTime(17, 0)));
  QVERIFY(!stored("Edited")["allDay"].toBool());
  QTRY_COMPARE_WITH_TIMEOUT(window_->undoAction()->text(), QString("Undo Edit 'Edited'"), kPatience);
  QTRY_COMPARE_WITH_TIMEOUT(details->dueText(), dueText(QDateTime(QDate(2031, 12, 24), QTime(17, 0)), false, libraryNow()), kPatience);
  retype(details->dueField(), "2031-12-26");
  QTRY_VERIFY_WITH_TIMEOUT(stored("Edited")["allDay"].toBool(), kPatience);
  QCOMPARE(stored("Edited")["dueDate"].toString().left(10), QString("2031-12-26"));

  // Not a date: the field says so, the task keeps its due.
  retype(details->dueField(), "whenever");
  QTRY_VERIFY_WITH_TIMEOUT(window_->statusBar()->currentMessage().contains("whenever"), kPatience);
  QCOMPARE(details->dueText(), QString("whenever"));  // left to correct

  // The rest, each a field a person sets.
  details->notesField()->setFocus();
  QTest::keyClicks(details->notesField(), "Line one");  // saved once the typing pauses
  QTRY_COMPARE_WITH_TIMEOUT(stored("Edited")["notes"].toString(), QString("Line one"), kPatience);
  details->priorityBox()->setFocus();
  details->priorityBox()->setCurrentIndex(3);
  Q_EMIT details->priorityBox()->activated(3);
  details->flagBox()->click();
  retype(details->tagsField(), "#errand, Home, errand");
  details->listBox()->setCurrentIndex(details->listBox()->findText("Reminders"));
  Q_EMIT details->listBox()->activated(details->listBox()->currentIndex());
  QTRY_COMPARE_WITH_TIMEOUT(stored("Edited")["list"].toString(), QString("Reminders"), kPatience);
  const QJsonObject edited = stored("Edited");
  QCOMPARE(edited["notes"].toString(), QString("Line one"));
  QCOMPARE(edited["priority"].toInt(), 3);  // high
  QVERIFY(edited["flagged"].toBool());
  QCOMPARE(edited["tags"].toArray().size(), 2);
  QCOMPARE(edited["dueDate"].toString().left(10), QString("2031-12-26"));  // the rejected text changed nothing

  // One undo, one field: the list first, then the tags.
  QTRY_COMPARE_WITH_TIMEOUT(window_->undoAction()->text(), QString("Undo Edit 'Edited'"), kPatience);
  window_->undoAction()->trigger();
  QTRY_COMPARE_WITH_TIMEOUT(stored("Edited")["list"].toString(), QString("Work"), kPatience);
  QCOMPARE(stored("Edited")["tags"].toArray().size(), 2);
  QVERIFY(stored("Edited")["flagged"].toBool());
}

// A sync that fails (here: the account's server is a closed port on this machine) says so in the
// banner above the tasks, without a dialog: the window stays usable, and the banner can be closed.
void DesktopTest::showsSyncFailures() {
  QTcpServer probe;
  QVERIFY(probe.listen(QHostAddress::LocalHost));
  const quint16 closedPort = probe.serverPort();
  probe.close();
  const QString synced = dir_.filePath("synced");
  qputenv("ZARVO_DESKTOP_TEST_PASSWORD", "secret");
  QProcess add;
  add.start(qEnvironmentVariable("ZARVO_CLI"),
            {"--home", synced, "account", "add", "closed", QString("http://127.0.0.1:%1/").arg(closedPort), "--user", "me",
             "--password-env", "ZARVO_DESKTOP_TEST_PASSWORD", "--no-upload"});
  QVERIFY(add.waitForFinished(60'000));
  QVERIFY2(add.exitCode() == 0, add.readAllStandardError().constData());

  StoreController store(StoreController::Options{synced.toStdString()});
  MainWindow window(store, zarvo::Settings::defaults().typedLineOptions());
  SyncController::Options syncOptions{synced.toStdString()};
  syncOptions.service.conflictResolver = {qEnvironmentVariable("ZARVO_CLI").toStdString(), "--home", synced.toStdString(),
                                          "sync-conflict"};
  SyncController sync(syncOptions);
  window.setSync(&sync);
  window.show();
  store.reload();
  QTRY_VERIFY_WITH_TIMEOUT(window.snapshot() != nullptr, kPatience);
  QVERIFY(window.banner()->isHidden());

  window.syncAction()->trigger();
  QVERIFY(!window.syncAction()->isEnabled());  // one sync at a time
  QTRY_VERIFY_WITH_TIMEOUT(window.banner()->isVisible(), 3 * kPatience);
  QVERIFY2(window.bannerText().startsWith("Sync failed: ") && window.bannerText().contains("cannot reach the server (closed at"),
           qPrintable(window.bannerText()));
  QVERIFY(window.syncAction()->isEnabled());
  QVERIFY(QApplication::activeModalWidget() == nullptr);
  window.banner()->findChild<QPushButton*>()->click();
  QVERIFY(window.banner()->isHidden());
}

namespace {

// The files under `root` that hold `needle`.
QStringList filesHolding(const QString& root, const QByteArray& needle) {
  QStringList out;
  QDirIterator files(root, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
  while (files.hasNext()) {
    QFile file(files.next());
    if (file.open(QIODevice::ReadOnly) && file.readAll().contains(needle)) out << file.fileName();
  }
  return out;
}

// What vdirsyncer gets for the account's password: its configuration's password.fetch, run as
// vdirsyncer runs it.
QByteArray fetchedPassword(const QString& home, const QString& account, QString* fetch) {
  zarvo::caldav::Accounts accounts(zarvo::caldav::AccountsLayout::forHome(home.toStdString()));
  if (!accounts.writeConfig({}).ok()) return {};
  QFile config(QString::fromStdString(accounts.layout().configFile().string()));
  if (!config.open(QIODevice::ReadOnly)) return {};
  const QString text = QString::fromUtf8(config.readAll());
  const qsizetype section = text.indexOf("[storage " + account + "_remote]");
  const QRegularExpression line(R"(\npassword\.fetch = (\[.*\])\n)");
  const auto match = line.match(text, section);
  if (section < 0 || !match.hasMatch()) return {};
  *fetch = match.captured(1);
  const QJsonArray how = QJsonDocument::fromJson(match.captured(1).toUtf8()).array();
  if (how.size() != 2 || how[0].toString() != "shell") return {};
  QProcess shell;
  shell.start("sh", {"-c", how[1].toString()});
  if (!shell.waitForFinished(60'000) || shell.exitCode() != 0) return {};
  return shell.readAllStandardOutput();
}

}  // namespace

// Lists sit under their account's header; folding one stores List::collapsed for its lists (a new
// read shows them folded) and is no change for Undo.
void DesktopTest::foldsAccounts() {
  Sidebar* sidebar = window_->sidebar();
  auto header = [sidebar](const QString& name) -> QListWidgetItem* {
    for (int row = 0; row < sidebar->count(); ++row) {
      QListWidgetItem* item = sidebar->item(row);
      if (item->text().endsWith(" " + name) && !(item->flags() & Qt::ItemIsSelectable)) return item;
    }
    return nullptr;
  };
  QTRY_VERIFY_WITH_TIMEOUT(header("My Lists") && sidebarItem("Work"), kPatience);
  // Another account with a list, as a sync leaves it.
  qputenv("ZARVO_DESKTOP_TEST_PASSWORD", "secret");
  zarvo({"account", "add", "dav", "http://127.0.0.1:9/", "--user", "me", "--password-env", "ZARVO_DESKTOP_TEST_PASSWORD", "--no-upload"});
  QDir(home_).mkpath("reminders/dav/shared");
  QFile name(home_ + "/reminders/dav/shared/displayname");
  QVERIFY(name.open(QIODevice::WriteOnly) && name.write("Shared") > 0);
  name.close();
  controller_->reload();
  QTRY_VERIFY_WITH_TIMEOUT(header("dav") && header("This computer") && sidebarItem("Shared"), kPatience);
  QVERIFY(!header("My Lists"));
  const QString undoBefore = window_->undoAction()->text();

  QTest::mouseClick(sidebar->viewport(), Qt::LeftButton, {}, sidebar->visualItemRect(header("dav")).center());
  QTRY_VERIFY_WITH_TIMEOUT(sidebarItem("Shared")->isHidden(), kPatience);
  QVERIFY(header("dav")->text().startsWith(QString::fromUtf8("\u25B8")));
  QVERIFY(!sidebarItem("Work")->isHidden());  // the other account's lists stay
  QCOMPARE(window_->undoAction()->text(), undoBefore);
  {
    // Stored: a window opened now shows it folded.
    StoreController fresh(StoreController::Options{home_.toStdString()});
    MainWindow other(fresh, zarvo::Settings::defaults().typedLineOptions());
    fresh.reload();
    QTRY_VERIFY_WITH_TIMEOUT(other.snapshot() && !other.snapshot()->provisional && other.sidebar()->findItems("Shared", Qt::MatchExactly).size() == 1, kPatience);
    QVERIFY(other.sidebar()->findItems("Shared", Qt::MatchExactly).first()->isHidden());
    QVERIFY(!other.sidebar()->findItems("Work", Qt::MatchExactly).first()->isHidden());
  }
  {
    // The last run's view keeps them too: before the home is read, a new window shows the lists under
    // their accounts, folded as stored. A cache of the version that kept no folds is not shown, and
    // the home's read replaces it.
    StoreController::Options options{home_.toStdString()};
    options.snapshotCache = dir_.filePath("folds.snapshot").toStdString();
    std::string older = zarvo::encodeCachedView(cachedView(*window_->snapshot()), home_.toStdString());
    older.replace(std::string_view("zarvo snapshot cache\n").size(), 4, std::string("\x01\0\0\0", 4));
    QFile file(dir_.filePath("folds.snapshot"));
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(older.data(), qint64(older.size())) > 0);
    file.close();
    struct FirstScreen {
      bool provisional = false;
      QStringList headers, hidden;
    };
    auto start = [&] {
      StoreController store(options);
      MainWindow fresh(store, zarvo::Settings::defaults().typedLineOptions());
      std::optional<FirstScreen> first;
      connect(&fresh, &MainWindow::shown, this, [&] {
        if (first) return;
        first.emplace().provisional = fresh.snapshot()->provisional;
        for (int row = 0; row < fresh.sidebar()->count(); ++row) {
          const QListWidgetItem* item = fresh.sidebar()->item(row);
          if (!(item->flags() & Qt::ItemIsSelectable)) first->headers << item->text();
          if (item->isHidden()) first->hidden << item->text();
        }
      });
      store.reload();
      const bool read = QTest::qWaitFor([&] { return fresh.snapshot() && !fresh.snapshot()->provisional; }, kPatience);
      return read ? first : std::nullopt;
    };
    auto kept = [&] {
      return zarvo::loadCachedView(*zarvo::platform::FileSystem::posix(), *options.snapshotCache, home_.toStdString());
    };
    const auto unkept = start();
    QVERIFY(unkept);
    QVERIFY(!unkept->provisional);  // the older file was not shown
    QTRY_VERIFY_WITH_TIMEOUT(kept(), kPatience);
    const auto rewritten = kept();
    const auto shared = std::find_if(rewritten->lists.begin(), rewritten->lists.end(), [](const auto& list) { return list.title == "Shared"; });
    QVERIFY(shared != rewritten->lists.end() && shared->account == "dav" && shared->collapsed);

    auto cached = start();
    QVERIFY(cached);
    QVERIFY(cached->provisional);
    cached->headers.sort();
    QCOMPARE(cached->headers, (QStringList{QString::fromUtf8("\u25B8 dav"), QString::fromUtf8("\u25BE This computer")}));
    QCOMPARE(cached->hidden, QStringList{"Shared"});
  }

  // With the keyboard: the header stays chosen, Right unfolds, the view keeps its list.
  sidebar->select(listId("Work"));
  sidebar->setFocus();
  sidebar->setCurrentItem(header("dav"));
  QCOMPARE(std::get<QString>(sidebar->scope()), listId("Work"));
  QTest::keyClick(sidebar, Qt::Key_Right);
  QTRY_VERIFY_WITH_TIMEOUT(!sidebarItem("Shared")->isHidden(), kPatience);
  QCOMPARE(sidebar->currentItem(), header("dav"));
  QTest::keyClick(sidebar, Qt::Key_Left);
  QTRY_VERIFY_WITH_TIMEOUT(sidebarItem("Shared")->isHidden(), kPatience);
  QTest::keyClick(sidebar, Qt::Key_Space);
  QTRY_VERIFY_WITH_TIMEOUT(!sidebarItem("Shared")->isHidden(), kPatience);
  // The arrows reach a header from its lists; passing over it keeps the view.
  sidebar->setCurrentItem(sidebarItem("Shared"));
  QTest::keyClick(sidebar, Qt::Key_Up);
  QCOMPARE(sidebar->currentItem(), header("dav"));
  QCOMPARE(std::get<QString>(sidebar->scope()), listId("Shared"));

  zarvo({"account", "rm", "dav", "--delete-local"});
  QTRY_VERIFY_WITH_TIMEOUT(header("My Lists") && !sidebarItem("Shared"), kPatience);
}

// Sync > Accounts: the password goes to the Secret Service (GNOME Keyring on a private bus, see
// run_with_keyring.sh), and vdirsyncer's configuration fetches it from there; no file and no
// command line holds it.
void DesktopTest::keepsPasswordsInTheSecretService() {
  if (qEnvironmentVariableIsEmpty("ZARVO_TEST_KEYRING")) QSKIP("needs a Secret Service of its own: run_with_keyring.sh");
  const QString home = dir_.filePath("keyring-home");
  const QByteArray password = "s3cr3t 'quoted' $HOME \xc3\xa9";  // what a shell would read if it could
  StoreController store(StoreController::Options{home.toStdString()});
  MainWindow window(store, zarvo::Settings::defaults().typedLineOptions());
  SyncController sync(SyncController::Options{home.toStdString()});
  window.setSync(&sync);

  window.accountsAction()->trigger();
  QPointer<AccountDialog> dialog = window.accountDialog();
  QVERIFY(dialog);
  QCOMPARE(dialog->accountBox()->count(), 1);  // New account
  dialog->nameField()->setText("dav");
  dialog->urlField()->setText("https://me:x@dav.example.com/it's/");
  dialog->userField()->setText("me o'hara");
  dialog->passwordField()->setText(QString::fromUtf8(password));
  // Refused: nothing is stored, in the home or the keyring.
  dialog->buttons()->button(QDialogButtonBox::Save)->click();
  QTRY_VERIFY_WITH_TIMEOUT(!dialog->problem().isEmpty(), kPatience);
  QVERIFY2(dialog->problem().contains("user name or password"), qPrintable(dialog->problem()));
  QVERIFY(!lookupPassword({"https://me:x@dav.example.com/it's/", "me o'hara"}));
  QVERIFY(!zarvo::caldav::Accounts(zarvo::caldav::AccountsLayout::forHome(home.toStdString())).find("dav"));

  const std::string url = "https://dav.example.com/it's/";
  dialog->urlField()->setText(QString::fromStdString(url));
  dialog->buttons()->button(QDialogButtonBox::Save)->click();
  QTRY_VERIFY_WITH_TIMEOUT(dialog.isNull(), kPatience);  // saved and closed
  QCOMPARE(lookupPassword({url, "me o'hara"}).value_or(""), password.toStdString());
  QString fetch;
  QCOMPARE(fetchedPassword(home, "dav", &fetch), password);
  const auto account = zarvo::caldav::Accounts(zarvo::caldav::AccountsLayout::forHome(home.toStdString())).find("dav");
  QVERIFY(account);
  QCOMPARE(account->password.kind, zarvo::caldav::PasswordKind::command);
  // The commands vdirsyncer and its shell run are the only command lines involved.
  QVERIFY2(!fetch.toUtf8().contains("s3cr3t"), qPrintable(fetch));
  QVERIFY(!QByteArray::fromStdString(account->password.value).contains("s3cr3t"));
  QCOMPARE(filesHolding(QDir::homePath(), "s3cr3t"), QStringList());
  QCOMPARE(filesHolding(dir_.path(), "s3cr3t"), QStringList());

  // Another user name, the password left empty: it moves with the account.
  window.accountsAction()->trigger();
  dialog = window.accountDialog();
  QVERIFY(dialog);
  QCOMPARE(dialog->accountBox()->count(), 2);
  dialog->accountBox()->setCurrentIndex(1);
  QCOMPARE(dialog->userField()->text(), QString("me o'hara"));
  QVERIFY(!dialog->nameField()->isEnabled());
  dialog->userField()->setText("me2");
  dialog->buttons()->button(QDialogButtonBox::Save)->click();
  QTRY_VERIFY_WITH_TIMEOUT(dialog.isNull(), kPatience);
  QCOMPARE(fetchedPassword(home, "dav", &fetch), password);
  QVERIFY(!lookupPassword({url, "me o'hara"}));
  QCOMPARE(filesHolding(QDir::homePath(), "s3cr3t"), QStringList());
}

namespace {

// The values of `key` in the command line's JSON array.
QStringList valuesOf(const QByteArray& json, const QString& key) {
  QStringList out;
  for (const auto& item : QJsonDocument::fromJson(json).array()) out << item.toObject()[key].toString();
  return out;
}

}  // namespace

// Sync > Accounts removes an account after asking, as `zarvo account rm` does: its settings go, its
// lists stay here (no longer synced) unless the person asks for them to go too, and its password
// leaves the Secret Service, unless another account of the home fetches the same entry.
void DesktopTest::removesAccounts() {
  if (qEnvironmentVariableIsEmpty("ZARVO_TEST_KEYRING")) QSKIP("needs a Secret Service of its own: run_with_keyring.sh");
  const QString home = dir_.filePath("removal-home");
  const std::string dav = "https://dav.example.com/", office = "https://office.example.com/";
  {
    // "dav" and "twin" are the same login, so they share one entry of the keyring.
    zarvo::SyncHomeAt at(home.toStdString());
    zarvo::caldav::SyncService service(at);
    for (const AccountForm& form : {AccountForm{"dav", dav, "me", "pw dav", true}, AccountForm{"twin", dav, "me", "pw dav", true},
                                    AccountForm{"office", office, "me", "pw office", true}}) {
      const auto why = saveAccount(service, form);
      QVERIFY2(!why, why ? why->c_str() : "");
    }
  }
  // A list of each of two accounts, as a sync leaves them.
  for (const auto& [folder, title] : {std::pair{"dav/shared", "Shared"}, std::pair{"office/plans", "Plans"}}) {
    QVERIFY(QDir(home).mkpath(QString("reminders/") + folder));
    QFile name(home + "/reminders/" + folder + "/displayname");
    QVERIFY(name.open(QIODevice::WriteOnly) && name.write(title) > 0);
  }
  QCOMPARE(valuesOf(zarvoAt(home, {"lists", "--json"}), "title").filter(QRegularExpression("^(Shared|Plans)$")).size(), 2);

  StoreController store(StoreController::Options{home.toStdString()});
  MainWindow window(store, zarvo::Settings::defaults().typedLineOptions());
  SyncController sync(SyncController::Options{home.toStdString()});
  window.setSync(&sync);
  store.reload();
  QTRY_VERIFY_WITH_TIMEOUT(window.snapshot() && !window.sidebar()->findItems("Plans", Qt::MatchExactly).isEmpty(), kPatience);

  // Opens the dialog on `name`, presses Remove and gives the question asked.
  auto ask = [&window](const QString& name) -> QMessageBox* {
    window.accountsAction()->trigger();
    AccountDialog* dialog = window.accountDialog();
    if (!dialog || dialog->removeButton()->isEnabled()) return nullptr;  // not for "New account"
    dialog->accountBox()->setCurrentIndex(dialog->accountBox()->findText(name));
    if (!dialog->removeButton()->isEnabled()) return nullptr;
    dialog->removeButton()->click();
    QMessageBox* question = nullptr;
    const bool asked = QTest::qWaitFor(
        [&] { return (question = dialog->findChild<QMessageBox*>("removeAccountQuestion")) && question->isVisible(); }, kPatience);
    return asked ? question : nullptr;
  };
  auto answer = [](QMessageBox* question, QMessageBox::ButtonRole role) {
    for (QAbstractButton* button : question->buttons()) {
      if (question->buttonRole(button) == role) return button->click();
    }
    QFAIL("no such button");
  };
  auto accounts = [&] { return valuesOf(zarvoAt(home, {"account", "ls", "--json"}), "name"); };
  auto lists = [&] { return valuesOf(zarvoAt(home, {"lists", "--json"}), "title"); };
  auto stored = [&](const std::string& name) {
    return zarvo::caldav::Accounts(zarvo::caldav::AccountsLayout::forHome(home.toStdString())).find(name).has_value();
  };

  // Cancel: nothing changes.
  QMessageBox* question = ask("dav");
  QVERIFY(question);
  QVERIFY(!question->checkBox()->isChecked());
  answer(question, QMessageBox::RejectRole);
  QTRY_VERIFY_WITH_TIMEOUT(window.accountDialog() && !window.accountDialog()->findChild<QMessageBox*>("removeAccountQuestion"), kPatience);
  QVERIFY(window.accountDialog()->buttons()->button(QDialogButtonBox::Save)->isEnabled());  // no removal under way
  QVERIFY(stored("dav"));
  window.accountDialog()->close();
  QTRY_VERIFY_WITH_TIMEOUT(!window.accountDialog(), kPatience);

  // Removed, its list kept; the password stays while "twin" fetches it.
  question = ask("dav");
  QVERIFY(question);
  answer(question, QMessageBox::DestructiveRole);
  QTRY_VERIFY_WITH_TIMEOUT(!window.accountDialog(), kPatience);  // removed and closed
  QVERIFY(!stored("dav"));
  QCOMPARE(accounts(), (QStringList{"office", "twin"}));
  QVERIFY(lists().contains("Shared"));
  QCOMPARE(lookupPassword({dav, "me"}).value_or(""), std::string("pw dav"));

  question = ask("twin");
  QVERIFY(question);
  answer(question, QMessageBox::DestructiveRole);
  QTRY_VERIFY_WITH_TIMEOUT(!window.accountDialog(), kPatience);
  QCOMPARE(accounts(), QStringList{"office"});
  QVERIFY(!lookupPassword({dav, "me"}));

  // With its lists: they go from this computer, from the window too.
  question = ask("office");
  QVERIFY(question);
  question->checkBox()->setChecked(true);
  answer(question, QMessageBox::DestructiveRole);
  QTRY_VERIFY_WITH_TIMEOUT(!window.accountDialog(), kPatience);
  QCOMPARE(accounts(), QStringList());
  QVERIFY(!lists().contains("Plans"));
  QVERIFY(lists().contains("Shared"));
  QVERIFY(!lookupPassword({office, "me"}));
  QTRY_VERIFY_WITH_TIMEOUT(window.sidebar()->findItems("Plans", Qt::MatchExactly).isEmpty(), kPatience);
  QVERIFY(window.statusBar()->currentMessage().contains("office"));
}

// In a German locale the window, its dates and the lists' counts are German; without the
// translations, English again.
void DesktopTest::speaksTheLocalesLanguage() {
  const QDateTime now(QDate(2031, 12, 22), QTime(14, 50));  // a Monday
  {
    const Translations german(QLocale(QLocale::German, QLocale::Germany));
    QVERIFY(german.translated());
    MainWindow window(*controller_, zarvo::Settings::defaults().typedLineOptions());
    QCOMPARE(window.searchField()->placeholderText(), QString("Suchen"));
    QCOMPARE(window.orderBox()->itemText(0), QString::fromUtf8("Nach Fälligkeit"));
    QCOMPARE(window.sortMenu()->title(), QString("&Sortieren"));
    QVERIFY(!window.sidebar()->findItems("Heute", Qt::MatchExactly).isEmpty());
    QCOMPARE(window.details()->priorityBox()->itemText(3), QString("Hoch"));
    QCOMPARE(dueText(now.addDays(1).addSecs(7800), false, now), QString("morgen 17:00"));
    QCOMPARE(dueText(now.addDays(2), true, now), QLocale().dayName(3, QLocale::ShortFormat));  // Wednesday in German
    QCOMPARE(QLocale().dayName(3, QLocale::ShortFormat), QString("Mi."));
    // Where the short name is one character, the long one stands alone; elsewhere the short one.
    QCOMPARE(dueText(now.addDays(6), true, now, QLocale(QLocale::Japanese)), QString::fromUtf8("日曜日"));
    QCOMPARE(dueText(now.addDays(4).addSecs(-18600), false, now, QLocale(QLocale::Japanese)), QString::fromUtf8("金曜日 09:40"));
    QCOMPARE(dueText(now.addDays(6), true, now, QLocale(QLocale::Chinese, QLocale::China)), QString::fromUtf8("周日"));

    // The lists' counts, in the library's format for the language (ICU follows the locale).
    const icu::Locale before = icu::Locale::getDefault();
    UErrorCode status = U_ZERO_ERROR;
    icu::Locale::setDefault(icu::Locale("de_DE"), status);
    const std::string format = zarvo::platform::localizedString("task_count");
    const std::string one = zarvo::platform::formatLocalized(format, {1}), three = zarvo::platform::formatLocalized(format, {3});
    icu::Locale::setDefault(before, status);
    QCOMPARE(QString::fromStdString(one), QString("1 Aufgabe"));
    QCOMPARE(QString::fromStdString(three), QString("3 Aufgaben"));
  }
  MainWindow english(*controller_, zarvo::Settings::defaults().typedLineOptions());
  QCOMPARE(english.searchField()->placeholderText(), QString("Search"));
  QCOMPARE(dueText(now.addDays(1).addSecs(7800), false, now), QString("tomorrow 17:00"));
}

// In a list in its own order, a task dropped among the others takes that place, in the files (a new
// read shows it), as one change that one undo takes back; elsewhere the rows take no drop.
void DesktopTest::reordersTasksByDrag() {
  zarvo({"list-add", "Ordered"});
  for (const char* title : {"First", "Second", "Third"}) zarvo({"add", QString("%1 #Ordered").arg(title)});
  QTRY_VERIFY_WITH_TIMEOUT(!listId("Ordered").isEmpty(), kPatience);
  window_->sidebar()->select(listId("Ordered"));
  TaskModel* model = window_->taskModel();
  QVERIFY(!(model->flags(model->index(0)) & Qt::ItemIsDropEnabled));  // by due date: no place to give
  window_->orderBox()->setCurrentIndex(window_->orderBox()->findData(int(Order::manual)));
  auto titles = [model] {
    QStringList shown;
    for (int row = 0; row < model->rowCount(); ++row) shown << model->rowAt(row)->title;
    return shown;
  };
  QTRY_COMPARE_WITH_TIMEOUT(model->rowCount(), 3, kPatience);
  QVERIFY(model->flags(model->index(0)) & Qt::ItemIsDropEnabled);
  auto drop = [model, this](const QStringList& dragged, int row, const QString& onto) {
    QModelIndexList indexes;
    for (const QString& title : dragged) indexes << model->index(rowOf(title));
    return model->dropMimeData(model->mimeData(indexes), Qt::MoveAction, row, 0, onto.isEmpty() ? QModelIndex() : model->index(rowOf(onto)));
  };

  // Between rows: before the next; below the rows: at the end.
  QVERIFY(!drop({"Third"}, 0, {}));  // the model asks; the rows move when the store has them there
  QTRY_COMPARE_WITH_TIMEOUT(titles().first(), QString("Third"), kPatience);
  QTRY_COMPARE_WITH_TIMEOUT(window_->undoAction()->text(), QString("Undo Reorder 'Third'"), kPatience);
  QVERIFY(!drop({"First"}, -1, {}));
  QTRY_COMPARE_WITH_TIMEOUT(titles(), (QStringList{"Third", "Second", "First"}), kPatience);
  // Several rows keep their order among themselves; onto a row: before it.
  QVERIFY(!drop({"Second", "Third"}, -1, {}));
  QTRY_COMPARE_WITH_TIMEOUT(titles(), (QStringList{"First", "Third", "Second"}), kPatience);
  QTRY_COMPARE_WITH_TIMEOUT(window_->undoAction()->text(), QString("Undo Reorder 2 tasks"), kPatience);
  QVERIFY(!drop({"First"}, -1, "Second"));
  QTRY_COMPARE_WITH_TIMEOUT(titles(), (QStringList{"Third", "First", "Second"}), kPatience);

  // Kept in the task files: a window reading the home anew shows the same order.
  {
    StoreController fresh(StoreController::Options{home_.toStdString()});
    MainWindow other(fresh, zarvo::Settings::defaults().typedLineOptions());
    other.orderBox()->setCurrentIndex(other.orderBox()->findData(int(Order::manual)));
    fresh.reload();
    // Not the last run's cached view, which may predate the last drop: the files as read now.
    QTRY_VERIFY_WITH_TIMEOUT(other.snapshot() && !other.snapshot()->provisional, kPatience);
    other.sidebar()->select(listId("Ordered"));
    QTRY_COMPARE_WITH_TIMEOUT(other.taskModel()->rowCount(), 3, kPatience);
    QStringList shown;
    for (int row = 0; row < 3; ++row) shown << other.taskModel()->rowAt(row)->title;
    QCOMPARE(shown, (QStringList{"Third", "First", "Second"}));
  }

  window_->undoAction()->trigger();
  QTRY_COMPARE_WITH_TIMEOUT(titles(), (QStringList{"First", "Third", "Second"}), kPatience);
  window_->orderBox()->setCurrentIndex(window_->orderBox()->findData(int(Order::dueDate)));
  window_->sidebar()->select(SmartList::all);
  QVERIFY(!(model->flags(model->index(0)) & Qt::ItemIsDropEnabled));
}

// `zarvo-desktop --quick-add LINE` (a global shortcut's command) reads the line as quick entry does,
// adds the task without a window and quits; a line that leaves no title adds nothing and fails.
void DesktopTest::quickAddsAndQuits() {
  auto quickAdd = [this](const QString& line) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    process.setProcessEnvironment(env);
    process.start(qEnvironmentVariable("ZARVO_DESKTOP"), {"--home", home_, "--quick-add", line});
    return process.waitForFinished(60'000) ? process.exitCode() : -1;
  };
  QCOMPARE(quickAdd("Renew visa 2031-12-24 #work !!"), 0);
  const QJsonObject visa = withTitle(openTasks(), "Renew visa");
  QCOMPARE(visa["list"].toString(), QString("Work"));
  QVERIFY(visa["flagged"].toBool());
  QCOMPARE(visa["dueDate"].toString(), QString("2031-12-24"));
  QTRY_VERIFY_WITH_TIMEOUT(rowOf("Renew visa") >= 0, kPatience);  // the open window hears of it

  const qsizetype before = openTasks().size();
  QCOMPARE(quickAdd("2031-12-24"), 1);
  QCOMPARE(openTasks().size(), before);
}

// The window and the command line read one file alike, and what the desktop program writes behaves
// as what the command line writes: a priority another client wrote reads the same in both, and the
// alarm of a task added with a due time moves when another client moves the due.
void DesktopTest::readsAndWritesAsTheCommandLine() {
  zarvo({"add", "Fix the leak"});
  // PRIORITY 4 is high on the scale todoman and CalDAV clients write.
  QVERIFY(editTaskFile("Fix the leak", [](QString text) { return text.replace("END:VTODO", "PRIORITY:4\r\nEND:VTODO"); }));
  QTRY_COMPARE_WITH_TIMEOUT(withTitle(openTasks(), "Fix the leak")["priority"].toInt(), 3, kPatience);
  QTRY_VERIFY_WITH_TIMEOUT(rowOf("Fix the leak") >= 0 && window_->taskModel()->rowAt(rowOf("Fix the leak"))->priority == 3,
                           kPatience);

  QProcess process;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("QT_QPA_PLATFORM", "offscreen");
  process.setProcessEnvironment(env);
  process.start(qEnvironmentVariable("ZARVO_DESKTOP"), {"--home", home_, "--quick-add", "Call the plumber 2031-12-24 9am"});
  QVERIFY(process.waitForFinished(60'000) && process.exitCode() == 0);
  QVERIFY(editTaskFile("Call the plumber", [](QString text) {
    return text.replace(QRegularExpression("\r\nDUE[^\r]*\r\n"), "\r\nDUE:20311224T150000Z\r\n");
  }));
  QTRY_VERIFY_WITH_TIMEOUT(withTitle(openTasks(), "Call the plumber")["dueDate"].toString().startsWith("2031-12-24T1"),
                           kPatience);
  const QJsonObject plumber = withTitle(openTasks(), "Call the plumber");
  const QJsonArray alarms = plumber["alarms"].toArray();
  QCOMPARE(alarms.size(), 1);
  QCOMPARE(alarms[0].toObject()["at"].toString(), plumber["dueDate"].toString());
}

// Asked to show a task (the reminders' Open), the window selects it in its list and opens its
// details, which then follow the current task; asked before the home is read, it waits for the read.
void DesktopTest::showsTask() {
  zarvo({"add", "Look at me tomorrow #Work !!"});
  zarvo({"add", "Look elsewhere #Work"});
  const QString uid = withTitle(openTasks(), "Look at me")["uid"].toString();
  QVERIFY(!uid.isEmpty());
  QTRY_VERIFY_WITH_TIMEOUT(rowOf("Look at me") >= 0 && rowOf("Look elsewhere") >= 0, kPatience);
  window_->sidebar()->select(SmartList::today);  // holds neither
  QTest::keyClicks(window_->searchField(), "elsewhere");  // hides it
  auto hidden = [this] {
    const auto& tasks = window_->snapshot()->tasks;
    return std::none_of(tasks.begin(), tasks.end(), [](const TaskRow& row) { return row.title == "Look at me"; });
  };
  QTRY_VERIFY_WITH_TIMEOUT(hidden(), kPatience);

  window_->showTask(uid);
  QVERIFY(window_->searchField()->text().isEmpty());
  QTRY_VERIFY_WITH_TIMEOUT(rowOf("Look at me") >= 0, kPatience);
  QCOMPARE(window_->sidebar()->scope(), Scope(listId("Work")));
  QListView* view = window_->taskView();
  QCOMPARE(view->currentIndex().data(TaskModel::UidRole).toString(), uid);
  DetailsPane* details = window_->details();
  QVERIFY(details->isVisibleTo(window_.get()));
  QVERIFY(details->width() > 100);
  QCOMPARE(details->uid(), uid);
  QCOMPARE(details->titleText(), QString("Look at me"));
  QCOMPARE(details->listText(), QString("Work"));
  QCOMPARE(details->dueText(), QString("tomorrow"));

  view->setFocus();
  view->setCurrentIndex(window_->taskModel()->index(rowOf("Look elsewhere")));
  QCOMPARE(details->titleText(), QString("Look elsewhere"));
  QTest::keyClick(view, Qt::Key_Escape);
  QVERIFY(!details->isVisibleTo(window_.get()));
  QTest::keyClick(view, Qt::Key_Return);
  QVERIFY(details->isVisibleTo(window_.get()));
  QCOMPARE(details->titleText(), QString("Look elsewhere"));

  // A task that is no longer open leaves the view where it is.
  window_->sidebar()->select(SmartList::all);
  window_->showTask("no-such-task");
  QTRY_COMPARE_WITH_TIMEOUT(window_->statusBar()->currentMessage(), QString("That task is no longer open."), kPatience);
  QCOMPARE(window_->sidebar()->scope(), Scope(SmartList::all));

  // A task newer than the window's last read is found in a fresh read.
  zarvo({"add", "Just made"});
  const QString newerUid = withTitle(openTasks(), "Just made")["uid"].toString();
  window_->showTask(newerUid);
  QTRY_COMPARE_WITH_TIMEOUT(details->uid(), newerUid, kPatience);

  // A new window, asked before its first read.
  StoreController controller(StoreController::Options{home_.toStdString()});
  MainWindow fresh(controller, zarvo::Settings::defaults().typedLineOptions());
  fresh.show();
  fresh.showTask(uid);
  controller.reload();
  QTRY_COMPARE_WITH_TIMEOUT(fresh.details()->uid(), uid, kPatience);
  QCOMPARE(fresh.taskView()->currentIndex().data(TaskModel::UidRole).toString(), uid);
}

// A later launch on the home hands its request to the open window and leaves: --show selects the
// task there, a bare --quick-add opens the window's quick-entry box. The home is one, however spelled.
void DesktopTest::handsOverToTheOpenWindow() {
  const QString name = SingleInstance::serverName(home_.toStdString());
  QCOMPARE(SingleInstance::serverName((home_ + "/./").toStdString()), name);
  const QString other = dir_.filePath("not-made-yet");
  QVERIFY(SingleInstance::serverName(other.toStdString()) != name);
  QCOMPARE(SingleInstance::serverName((other + "/").toStdString()), SingleInstance::serverName(other.toStdString()));
  {
    QFile crashed(name);  // what a window that crashed leaves behind
    QVERIFY(crashed.open(QIODevice::WriteOnly));
  }
  SingleInstance instance(name);
  QVERIFY(instance.listen());
  QVERIFY(!SingleInstance(name).listen());
  connect(&instance, &SingleInstance::requested, window_.get(), &MainWindow::handle);

  auto launch = [this](const QStringList& args) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    process.setProcessEnvironment(env);
    process.start(qEnvironmentVariable("ZARVO_DESKTOP"), QStringList{"--home", home_ + "/"} + args);
    // This process answers the launch from its event loop: it turns while the launch waits.
    QElapsedTimer waited;
    waited.start();
    // Longer than the launch's own wait for an answer (20 s): a slow answer must not pass for a
    // second window.
    while (process.state() != QProcess::NotRunning && waited.elapsed() < 3 * kPatience) QTest::qWait(20);
    if (process.state() != QProcess::NotRunning) {
      process.kill();  // it opened a window of its own
      process.waitForFinished();
      return -1;
    }
    return process.exitCode();
  };
  zarvo({"add", "Handed over #Work"});
  const QString uid = withTitle(openTasks(), "Handed over")["uid"].toString();
  QCOMPARE(launch({"--show", uid}), 0);
  QTRY_COMPARE_WITH_TIMEOUT(window_->details()->uid(), uid, kPatience);
  QCOMPARE(window_->details()->titleText(), QString("Handed over"));

  QCOMPARE(launch({"--quick-add"}), 0);
  QuickAddBox* box = window_->quickAddBox();
  QVERIFY(box && box->isVisible());
  QLineEdit* line = box->quickEntry()->field();
  QTest::keyClicks(line, "Boxed in #work");
  QCOMPARE(box->quickEntry()->highlights().size(), size_t(1));
  QTest::keyClick(line, Qt::Key_Return);
  QTRY_VERIFY_WITH_TIMEOUT(!box->isVisible(), kPatience);
  QCOMPARE(withTitle(openTasks(), "Boxed in")["list"].toString(), QString("Work"));
  // Esc clears the line, and on an empty line closes the box with nothing made.
  QCOMPARE(launch({"--quick-add"}), 0);
  QVERIFY(box->isVisible() && line->text().isEmpty());
  QTest::keyClicks(line, "Never mind");
  QTest::keyClick(line, Qt::Key_Escape);
  QVERIFY(box->isVisible() && line->text().isEmpty());
  QTest::keyClick(line, Qt::Key_Escape);
  QVERIFY(!box->isVisible());
  QVERIFY(withTitle(openTasks(), "Never mind").isEmpty());
}

// The whole round on a real X server: keys typed into the mapped window, the command line reading
// what the window made, the window following what the command line did.
void DesktopTest::endToEnd() {
  QVERIFY(window_->isVisible());
  window_->activateWindow();
  QTest::mouseClick(window_->quickEntry()->field(), Qt::LeftButton);
  QTest::keyClicks(window_->quickEntry()->field(), "Renew passport next monday #Work");
  QTest::keyClick(window_->quickEntry()->field(), Qt::Key_Return);
  QTRY_VERIFY_WITH_TIMEOUT(!withTitle(openTasks(), "Renew passport").isEmpty(), kPatience);
  QCOMPARE(withTitle(openTasks(), "Renew passport")["list"].toString(), QString("Work"));
  QTRY_VERIFY_WITH_TIMEOUT(rowOf("Renew passport") >= 0, kPatience);

  zarvo({"add", "Book flights !!"});
  QTRY_VERIFY_WITH_TIMEOUT(rowOf("Book flights") >= 0, kPatience);
  QTest::mouseClick(window_->taskView()->viewport(), Qt::LeftButton, {},
                    window_->taskView()->visualRect(window_->taskModel()->index(rowOf("Book flights"))).center());
  QTest::keyClick(window_->taskView(), Qt::Key_Space);
  QTRY_VERIFY_WITH_TIMEOUT(!withTitle(completedTasks(), "Book flights").isEmpty(), kPatience);
  QTRY_VERIFY_WITH_TIMEOUT(rowOf("Book flights") < 0, kPatience);
  QVERIFY(rowOf("Renew passport") >= 0);
}

QTEST_MAIN(DesktopTest)
#include "desktop_test.moc"
