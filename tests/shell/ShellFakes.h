// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Fakes for the shell's own services, and screens that record what the host does to them.
#include <QEvent>
#include <QStringList>

#include "platform/locks.h"
#include "platform/notice.h"
#include "platform/tray.h"
#include "shell/IMainWindowActions.h"
#include "ui/ChildScreen.h"
#include "ui/ScreenContracts.h"

namespace zf::test {

// One log shared by every fake of a test, so the order across them can be checked.
using CallLog = QStringList;

class FakeTrayService : public ITrayService {
 public:
  explicit FakeTrayService(CallLog& log) : m_log(log) {}
  void Add(const QIcon& icon, const QString& tip) override {
    ++icons;
    this->tip = tip;
    m_log << QStringLiteral("tray add");
    if (onAdd) onAdd();
  }
  void Modify(const QIcon&, const QString& tip) override {
    this->tip = tip;
    m_log << QStringLiteral("tray modify");
  }
  void Delete() override {
    --icons;
    m_log << QStringLiteral("tray delete");
  }
  void ShowBalloon(const QString& title, const QString& text) override {
    if (icons > 0) balloons << title + QStringLiteral(" | ") + text;
  }
  void SetMouseHandler(std::function<void(int)> handler) override { mouse = std::move(handler); }
  bool IsAvailable() const override { return available; }

  bool available = true;  // whether the desktop has a tray at all
  int icons = 0;          // icons in the tray: never more than one
  QString tip;
  QStringList balloons;  // the ones actually shown
  std::function<void(int)> mouse;
  std::function<void()> onAdd;

 private:
  CallLog& m_log;
};

class FakeAutoMessageBox : public IAutoMessageBox {
 public:
  struct Call {
    QString mPrompt;
    std::int32_t mFlags;
    QString mCaption;
    std::int16_t nTime;
    bool NoPointer;
    std::uint32_t mColor;
    float X, Y;
    std::int16_t Intensity;
  };
  QString MsgAuto_box(const QString& mPrompt, std::int32_t mFlags, const QString& mCaption, std::int16_t nTime,
                      bool NoPointer, std::uint32_t mColor, float X, float Y, std::int16_t Intensity) override {
    calls.push_back({mPrompt, mFlags, mCaption, nTime, NoPointer, mColor, X, Y, Intensity});
    return {};
  }
  std::vector<Call> calls;
};

class FakeProcessLocks : public IProcessLocks {
 public:
  explicit FakeProcessLocks(CallLog& log) : m_log(log) {}
  bool TryBecomeOnlyInstance() override { return true; }
  void CreateNamedMutex(const std::string& name) override {
    m_log << QStringLiteral("mutex ") + QString::fromStdString(name);
  }
  void ListenForRaiseRequests(std::function<void()> onRequest) override { raise = std::move(onRequest); }
  bool AskRunningInstanceToRaise() override { return false; }

  std::function<void()> raise;  // what a second start would call

 private:
  CallLog& m_log;
};

class FakeWindowActions : public IMainWindowActions {
 public:
  explicit FakeWindowActions(CallLog& log) : m_log(log) {}
  void MinimizeMainWindow() override { m_log << QStringLiteral("minimize"); }
  void MovieToFront() override { m_log << QStringLiteral("movie to front"); }
  void NotifyStillRunning() override { m_log << QStringLiteral("still running"); }
  void DragMainWindow() override { m_log << QStringLiteral("drag"); }
  void EndProcess() override { m_log << QStringLiteral("end process"); }

 private:
  CallLog& m_log;
};

inline QString ScreenText(ScreenId id) {
  const std::string_view name = ScreenName(id);
  return QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()));
}

// A screen that logs its load and unload, and the calls the dispatch makes on particular screens.
class RecordingScreen : public ChildScreen, public IBackupListScreen, public IWizardPagesScreen {
 public:
  RecordingScreen(AppServices& services, IMainWindow& mainWindow, ScreenId id, CallLog& log)
      : ChildScreen(services, mainWindow), m_id(id), m_log(log) {}
  void Form_Load() override {
    SkinScreen();
    pageAtLoad = currWizardPage;
    m_log << QStringLiteral("load ") + ScreenText(m_id);
  }
  void Form_Unload() override { m_log << QStringLiteral("unload ") + ScreenText(m_id); }
  void intializeList() override { m_log << QStringLiteral("intializeList ") + ScreenText(m_id); }
  void SetCurrWizardPage(int page) override { currWizardPage = page; }

  int currWizardPage = 3;  // a page other than the first, until the host says otherwise
  int pageAtLoad = -1;

 private:
  ScreenId m_id;
  CallLog& m_log;
};

}  // namespace zf::test
