// Times, in CPU, the Networks window's searches at 1000 rows from Find to the rows drawn (the
// search on its thread, the list taking the rows, laid out and painted), and to the count of the
// rows past them on the status line, beside the whole vantrel-cli process for the same search. Run
// in a directory with ResistorLibrary.txt and CapacitorLibrary.txt, on any Qt platform (offscreen
// will do). Usage: vantrel_window_bench VANTREL_CLI [RUNS]

#include <sys/resource.h>
#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QTabWidget>
#include <QTableView>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "clock.h"
#include "networks_dlg.h"
#include "posix_files.h"
#include "qt_message_service.h"
#include "search_runner.h"

namespace {

struct Search {
  const char* name;
  int tab;
  std::vector<std::pair<const char*, const char*>> edits;  // by object name
  std::vector<const char*> twoParts;                       // the legs' choices, by label
  QStringList cli;
};

// CPU time in ms, not wall time, which other work on the machine stretches: this process's
// (the window's thread and the search's), or its children's that have ended.
double CpuMs(int who) {
  rusage usage{};
  getrusage(who, &usage);
  const auto ms = [](const timeval& t) {
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_usec) / 1e3;
  };
  return ms(usage.ru_utime) + ms(usage.ru_stime);
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// The field the label names.
QWidget* Labelled(QWidget& page, const char* label) {
  for (QLabel* caption : page.findChildren<QLabel*>()) {
    if (caption->text() == QString::fromUtf8(label)) return caption->buddy();
  }
  std::fprintf(stderr, "no field %s\n", label);
  std::exit(1);
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: vantrel_window_bench VANTREL_CLI [RUNS]\n");
    return 2;
  }
  const QString cli = QString::fromLocal8Bit(argv[1]);
  const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 7;
  vantrel::QtMessageService messages(QStringLiteral("vantrel_window_bench"));
  vantrel::PosixFileService files;
  vantrel::SystemClock clock;
  vantrel::Services services{messages, files, clock};
  vantrel::CNetworksDlg window(services);
  window.show();
  auto* tabs = window.findChild<QTabWidget*>();
  const std::vector<Search> searches = {
      {"regulator 5 --vref 1.25 --parts 2 --tolerance 100 --top 1000",
       2,
       {{"VOUT", "5"}, {"--vref", "1.25"}, {"--tolerance", "100"}},
       {"Le&gs"},
       {"regulator", "5", "--vref", "1.25", "--parts", "2", "--tolerance", "100", "--top", "1000"}},
      {"rc --corner 1k --r-parts 2 --c-parts 2 --top 1000",
       4,
       {{"--corner", "1k"}},
       {"R &parts", "C pa&rts"},
       {"rc", "--corner", "1k", "--r-parts", "2", "--c-parts", "2", "--top", "1000"}},
  };
  std::printf("%-62s %10s %10s %10s\n", "search (1000 rows), median CPU ms", "cli", "rows",
              "counted");
  for (const Search& search : searches) {
    tabs->setCurrentIndex(search.tab);
    QWidget& page = *tabs->widget(search.tab);
    for (const auto& [name, text] : search.edits) {
      page.findChild<QLineEdit*>(QString::fromUtf8(name))->setText(QString::fromUtf8(text));
    }
    for (const char* label : search.twoParts) {
      static_cast<QComboBox*>(Labelled(page, label))->setCurrentIndex(1);
    }
    static_cast<QComboBox*>(Labelled(page, "S&how"))->setCurrentText("1000");
    auto* runner = window.findChildren<vantrel::SearchRunner*>()[search.tab];
    auto* list = page.findChild<QTableView*>();
    std::vector<double> rows, whole, process;
    // Find, then the list laid out and painted once the search is no longer busy.
    const auto timed = [&] {
      const double start = CpuMs(RUSAGE_SELF);
      page.findChild<QAbstractButton*>("find")->click();
      while (runner->Busy()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
      QCoreApplication::processEvents();
      list->viewport()->repaint();
      const double spent = CpuMs(RUSAGE_SELF) - start;
      runner->Wait();
      return spent;
    };
    for (int run = 0; run < runs; ++run) {
      // Until the rows are shown: the count after them is stopped as they reach the list.
      const QMetaObject::Connection stopCount = QObject::connect(
          list->model(), &QAbstractItemModel::modelAboutToBeReset, runner, [runner] {
            if (runner->Counting()) runner->Stop();
          });
      rows.push_back(timed());
      QObject::disconnect(stopCount);
      whole.push_back(timed());
      const double before = CpuMs(RUSAGE_CHILDREN);
      QProcess process_;
      process_.setStandardOutputFile(QProcess::nullDevice());
      process_.start(cli, search.cli);
      process_.waitForFinished(-1);
      process.push_back(CpuMs(RUSAGE_CHILDREN) - before);
    }
    std::printf("%-62s %10.1f %10.1f %10.1f  (%d rows)\n", search.name, Median(process),
                Median(rows), Median(whole), list->model()->rowCount());
  }
  return 0;
}
