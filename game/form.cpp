#include "game/form.h"

#include <algorithm>
#include <cmath>
#include <ctime>
#include <exception>
#include <optional>
#include <vector>

#include "game/screens/explain.h"
#include "game/screens/menus/backdrop.h"
#include "game/records/score_file.h"
#include "platform/app.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/platform.h"
#include "platform/random.h"
#include "platform/user_dirs.h"
#include "vantor/draw/draw.h"
#include "vantor/input/input.h"
#include "vantor/midi/midi.h"
#include "vantor/sound/sound.h"
#include "vantor/system/frame.h"

namespace game {

using VantorDrawSystem::TVantorDraw;
using VantorInputSystem::TVantorInput;
using VantorMidiSystem::TVantorMidi;
using VantorSoundSystem::TVantorSound;
using VantorSystem::VnTrace;

TForm1::TForm1(TComponent* owner, std::shared_ptr<const Replay> watch)
    : TComponent(owner), replays(std::move(watch)), pacer_(*platform::Current().clock, drawRefresh_) {
  platform::Application& app = *platform::Current().app;
  platform::TimeStage("window", [&] { window_ = &app.CreateMainWindow("SOLVARA 2001", 640, 480); });

  // The components as the form resource creates them.
  chip = std::make_unique<TVantorInput>(this);
  cmid = std::make_unique<TVantorMidi>(this);
  csou = std::make_unique<TVantorSound>(this);
  cdraw = std::make_unique<TVantorDraw>(this);
  cdraw->SetTransparent(true);
  TFont* font = cdraw->GetFont();
  font->Height = -16;
  font->Color = clWhite;
  font->Charset = SHIFTJIS_CHARSET;
  font->Name = VN_TEXT("ＭＳ Ｐゴシック");

  scoreStore = std::make_unique<ScoreStore>(platform::DataDir(), platform::ResolvePath(kScoreFile),
                                            [this](const std::string& reason) { ReportSaveFailure(reason); },
                                            replays.Watching());
  scoreStore->OnLastReplayFailed([this](const std::string& reason) { ReportLastReplayFailure(reason); });

  app.OnKeyDown([this](const platform::KeyEvent& key) { FormKeyDown(key); });
  app.OnKeyUp([this](const platform::KeyEvent& key) { FormKeyUp(key); });
  app.OnCloseRequest([this] { Close(); });
  app.OnDeactivate([this] { FormDeactivate(); });
  app.OnText([this](const std::string& text) {
    if (menus.IsOpen()) menus.Text(*this, text);
  });
  app.OnExplain([this](const std::string& text) { return ExplainMessage(text, scoreStore->LeftAlone()); });
  try {
    FormCreate();
  } catch (const std::exception& e) {
    startUpFailed_ = true;
    app.ShowException(e.what());
  }
}

TForm1::~TForm1() {
  if (platform::Application* app = platform::Current().app) {
    app->OnIdle(nullptr);
    app->OnKeyDown(nullptr);
    app->OnKeyUp(nullptr);
    app->OnCloseRequest(nullptr);
    app->OnDeactivate(nullptr);
    app->OnText(nullptr);
    app->OnExplain(nullptr);
  }
  cdraw.reset();
  csou.reset();
  cmid.reset();
  chip.reset();
}

void TForm1::FormCreate() {
  cdraw->SetFullScreen(true);
  LoadRanking();
  platform::Rand().Seed(static_cast<uint32_t>(std::time(nullptr)));
  window_->ShowCursor(false);
  platform::TimeStage("renderer", [&] { cdraw->Init(nullptr); });
  StartComponents();
  GameState.screen = ScreenTitle;
  FillDirectionTables(dirCos, dirSin);
  LoadAssets();

  GameState.musicRequest = 1;
  GameState.showHowToPlayNext = 1;
  GameState.titleSongNeeded = 0;
  GameState.screenCounter = 0;
  GameState.titleAngle = 0;
  GameState.titleZoom = 768;
  GameState.titleZoomDir = 0;
  GameState.shotCadence = 0;
  GameState.pressLatch = 0;
  GameState.screen = ScreenTitle;

  pacer_.Start();
  platform::Current().app->OnIdle([this] { return FrameIdle(); });
}

bool TForm1::FrameIdle() {
  pacer_.Pace(vsync);
  songStarted = 0;
  effectStarted = 0;
  if (menus.IsOpen()) {
    RunMenuFrame();
    return false;
  }
  if (pendingPractice_) ApplyPractice();
  // The first frame's drawing and presenting are the last stages of the start-up.
  std::optional<platform::StageTimer> stage;
  if (!firstFrameShown_) stage.emplace("first frame");
  // Fast play runs the frames before the one shown in full, every routine
  // of each (the world also moves inside drawing), drawn into nothing and
  // without their effects; their song requests still start the songs.
  const int frames = WatchSpeed();
  try {
    for (int k = 1; k <= frames; ++k) {
      const bool shown = k == frames;
      // A watched replay that is over closes the form.
      if (!replays.BeginFrame(*this)) {
        cdraw->SetDiscarding(drawNothing);
        if (returnFromWatching_) EndWatching();
        else closeLater_.Post(0, 0, 0);
        return false;
      }
      cdraw->SetDiscarding(drawNothing || !shown);
      cdraw->Clear();
      RunScreen();
      replays.EndFrame(*this);
      ServeRequests(shown && !drawNothing);
    }
    cdraw->SetDiscarding(drawNothing);
    pacer_.WaitToPresent();
    if (stage) stage.emplace("present");
    cdraw->Update();
  } catch (const std::exception& e) {
    cdraw->SetDiscarding(drawNothing);
    // The framework reports it; a watched replay cannot go on as recorded.
    replays.Fail(e.what());
    throw;
  }
  if (stage) {
    stage.reset();
    firstFrameShown_ = true;
    firstFrameAt_ = platform::MillisecondsSinceStart();
    startUpStages_ = platform::TakeStartUpStages();
    ReportStartUp();
  }
  return false;
}

void TForm1::ReportStartUp() {
  if (firstFrameAt_ == 0 || musicAt_ == 0) return;
  // The first frame's way: the stages of the main thread by then. The
  // music's: those after them, and those beside them (the SoundFont).
  std::vector<platform::StartUpStage> way, after, alongside;
  for (platform::StartUpStage& stage : platform::TakeStartUpStages())
    (stage.alongside ? alongside : after).push_back(stage);
  double counted = 0, log = 0;
  for (const platform::StartUpStage& stage : startUpStages_) {
    if (stage.alongside) {
      alongside.push_back(stage);
      continue;
    }
    way.push_back(stage);
    counted += stage.milliseconds;
    if (stage.name == platform::kDebugLogStage) log = stage.milliseconds;
  }
  // Whatever no stage names: loading the program, the settings, the ranking.
  way.push_back({"rest", std::max(0.0, firstFrameAt_ - counted)});
  std::string music = after.empty() ? "" : platform::DescribeStages(after) + " ms";
  if (!alongside.empty()) music += (music.empty() ? "" : "; ") + platform::DescribeStages(alongside) + " ms alongside";
  VnTrace("start-up: first frame presented " + std::to_string(std::lround(firstFrameAt_)) +
          " ms after the program started, " + std::to_string(std::lround(firstFrameAt_ - log)) +
          " ms without opening this log (" + platform::DescribeStages(way) + " ms); music ready after " +
          std::to_string(std::lround(musicAt_)) + " ms (" + music + ")");
  platform::FinishStartUp();
}

void TForm1::WatchReplay(std::shared_ptr<const Replay> replay) {
  beforeWatching_.Take(*this);
  returnFromWatching_ = true;
  replays.Watch(std::move(replay));
}

void TForm1::EndWatching() {
  replays.StopWatching();
  returnFromWatching_ = false;
  if (paused_) SetPaused(false);
  beforeWatching_.Restore(*this);
  // The song of the world put back starts again; with none, the replay's
  // stops here.
  if (GameState.musicRequest == 0) GameState.musicRequest = beforeWatching_.song;
  if (GameState.musicRequest == 0) cmid->Stop();
  if (afterWatching) afterWatching(*this);
}

int TForm1::WatchSpeed() {
  if (!replays.Watching()) return 1;
  // The player's own keys and buttons as their key events told them: the
  // input the world reads is the replay's.
  const bool held = heldKeys.Controls(playerSettings.bindings).Button1 != 0 ||
                    heldKeys.PadHeld(platform::kPadRightShoulder);
  return fastPlay || held ? kFastPlayFrames : 1;
}

void TForm1::FormKeyDown(const platform::KeyEvent& key) {
  heldKeys.Change(key, true);
  const bool fullScreen = key.virtualKey == platform::kVirtualKeyFullScreen;
  // A menu hears Alt+Enter too: one asking for a key takes neither of the two.
  if (menus.IsOpen()) menus.KeyDown(*this, key);
  else if (IsPauseKey(key)) OpenMenu();
  // No control can be Enter: on the title it opens the menu without starting a game.
  else if (key.virtualKey == platform::kVirtualKeyReturn && OnTitleCycle()) OpenTitleMenu();
  // Watching too, Escape ends it, back where watching began, if anywhere;
  // other keys do nothing (button 1 held is read as the frame's fast play).
  else if (key.virtualKey == platform::kVirtualKeyEscape && returnFromWatching_) EndWatching();
  else if (key.virtualKey == platform::kVirtualKeyEscape) Close();
  // Alt+Enter changed the window: the settings say so from now on.
  if (fullScreen) ChangeSetting(*this, kSettingMode, window_->FullScreen() ? 0 : 1);
}

void TForm1::FormKeyUp(const platform::KeyEvent& key) {
  heldKeys.Change(key, false);
  if (menus.IsOpen()) menus.KeyUp(*this, key);
}

bool TForm1::IsPauseKey(const platform::KeyEvent& key) const {
  const platform::Bindings& b = playerSettings.bindings;
  if (key.virtualKey == platform::kVirtualKeyPause || key.padButton == platform::kPadStart) return true;
  return (key.scanCode != 0 && key.scanCode == b.keys[platform::kPause]) ||
         (key.padButton != platform::kPadNone && key.padButton == b.pad[platform::kPause]);
}

void TForm1::ShowMenu(const MenuPage& page) {
  // The picture on the screen now stays under the menus, dimmed once here.
  cdraw->EffectDraw(0, 0, DimPicture, "", 0, kMenuDimming, 0);
  cdraw->UpdateTmp();
  if (!menus.IsOpen()) heldKeys.MenusOpened();
  menus.CloseAll();
  menus.Push(*this, page);
}

void TForm1::CloseMenus() {
  menus.CloseAll();
  if (readHeldOnClose_) heldKeys.Take(platform::Current().input->ReadHeld());
  readHeldOnClose_ = false;
  const platform::Bindings& b = playerSettings.bindings;
  replays.IgnoreHeldInput(heldKeys.Controls(b), heldKeys.ControlsSinceMenusOpened(b));
}

void TForm1::RunMenuFrame() {
  cdraw->Clear();
  DrawMenus(*this);
  menus.Frame(*this);
  // The title menu keeps the title's music going; a pause holds it.
  if (!paused_) ServeRequests();
  pacer_.WaitToPresent();
  // The frozen picture added under the menu, whole (amount 0 takes nothing
  // away: it was dimmed when the menu opened).
  cdraw->UpdateEx(0, VantorDrawSystem::ueBlendAdd);
}

void TForm1::UseSettings(const PlayerSettings& settings) {
  playerSettings = settings;
  ApplyAll(*this);
}

void TForm1::Close() {
  bool canClose = true;
  FormCloseQuery(canClose);
  if (canClose) platform::Current().app->Terminate();
}

int TForm1::DrawRefresh::RefreshRate() { return draw_ ? draw_->RefreshRate() : 0; }
bool TForm1::DrawRefresh::SetVSync(bool on) { return draw_ && draw_->SetVSync(on); }
void TForm1::DrawRefresh::WaitVSync() {
  if (draw_) draw_->WaitVSync();
}

void TForm1::FormCloseQuery(bool& canClose) {
  canClose = true;
  // No frame may run once the components are gone.
  platform::Current().app->OnIdle(nullptr);
  SaveRanking();
  cdraw.reset();
  csou.reset();
  cmid.reset();
  chip.reset();
}

}  // namespace game
