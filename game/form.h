#pragma once
// TForm1: the main form. It owns the four library components and the whole
// game world as plain fields, runs start-up, one frame per idle call, and the
// close that saves the ranking. The routines of every screen are members, so
// they all work on the same fixed world.
#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "game/frame_pacer.h"
#include "game/world_snapshot.h"
#include "game/records/replay_deck.h"
#include "game/records/replay_sender.h"
#include "game/world/start_worlds.h"
#include "game/screens/menus/menu.h"
#include "game/screens/menus/player_settings.h"
#include "game/screens/menus/replays_menu.h"
#include "game/world/world.h"
#include "platform/app.h"
#include "platform/display.h"
#include "platform/startup.h"
#include "vantor/system/component.h"

namespace VantorDrawSystem {
class TVantorDraw;
}
namespace VantorSoundSystem {
class TVantorSound;
}
namespace VantorMidiSystem {
class TVantorMidi;
}
namespace VantorInputSystem {
class TVantorInput;
}

namespace game {

class ScoreStore;

// The file of the ranking, in the player's data folder (earlier versions kept
// it beside the program).
inline constexpr const char* kScoreFile = "score.dat";
constexpr int kRankRows = 8;    // rows 0-6 are the ranking, row 7 a spare
constexpr int kSavedRows = 7;
constexpr int kNoNewRow = 10;
// With reduced flashing, a flash is lit this many frames and dark as many:
// three flashes a second at 30 frames a second.
constexpr int kReducedFlashFrames = 5;
// Fast play: frames of a watched replay played per frame shown.
constexpr int kFastPlayFrames = 4;

// The names of the songs ("01" ... "06") and effects ("01" ... "10") that
// request numbers start; null for any other number.
const char* SongName(int request);
const char* EffectName(int request);

class TForm1 : public TComponent {
 public:
  // Creates the main window and the four components, then runs FormCreate.
  // An exception there goes to the framework's exception dialog, and the
  // form is left unusable: StartUpFailed, and the program ends. With
  // `watch`, the form plays that replay (watching writes nothing to the data
  // folder) and closes once it is over.
  explicit TForm1(TComponent* owner, std::shared_ptr<const Replay> watch = nullptr);
  ~TForm1() override;

  platform::Window* WindowHandle() const override { return window_; }
  bool StartUpFailed() const { return startUpFailed_; }

  // ---------------------------------------------------------- the frame
  void FormCreate();
  // One frame, or while watching fast, kFastPlayFrames frames of which the
  // last is shown. Returns false: idle processing is never done.
  bool FrameIdle();
  // Frames a watched replay plays per frame shown: kFastPlayFrames while the
  // player holds button 1 or the pad's right shoulder (or fastPlay is set),
  // else 1; 1 when not watching.
  int WatchSpeed();
  // Escape closes on every screen (watching, it ends the replay); the pause
  // key pauses play (or a watched replay) and opens the menu on the title
  // cycle, as Enter does there. While a menu is open, it has every key.
  void FormKeyDown(const platform::KeyEvent& key);
  void FormKeyUp(const platform::KeyEvent& key);
  // Losing the focus or the pad during play (or a watched replay) pauses it.
  void FormDeactivate();
  void FormCloseQuery(bool& canClose);
  // The start-up line of the debug log, once the first frame is presented
  // and the music is ready: when each came, and what each stage took.
  void ReportStartUp();
  // Asks the form to close (Escape, the window's close button).
  void Close();

  // ---------------------------------------------------------- pause and menus
  // The pause key (the Pause key, the settings' pause key, the pad's Start
  // or the settings' pause button).
  bool IsPauseKey(const platform::KeyEvent& key) const;
  // The pause key with no menu open: pauses play or a watched replay, opens
  // the title menu on the title cycle; nothing elsewhere.
  void OpenMenu();
  // The title and the demonstration and ranking the idle title turns into.
  bool OnTitleCycle() const;
  // The title menu, over the title: from the demonstration or the ranking
  // the title comes back first.
  void OpenTitleMenu();
  // Paused, the world, the input component, the music and the effects stand
  // still under the pause menu; resuming closes it.
  void SetPaused(bool paused);
  bool Paused() const { return paused_; }
  // Opens `page` over the picture on the screen now, which stands still
  // under the menus while they are open.
  void ShowMenu(const MenuPage& page);
  // Closes every menu. Of what the player holds then, a control held since
  // they opened counts on in play; any other only once let go. After a lost
  // focus or pad, what is held is read from the devices.
  void CloseMenus();
  // A frame while a menu is open: the frozen picture, dimmed, under it.
  void RunMenuFrame();

  // ---------------------------------------------------------- watching from the game
  // Watches `replay` from the next frame on, the world it interrupts kept
  // aside: once the replay is over (back on the title after its results,
  // Escape, or a failure) the world is put back as it was and
  // `afterWatching` runs. Watching enters no row and writes nothing.
  void WatchReplay(std::shared_ptr<const Replay> replay);
  std::function<void(TForm1&)> afterWatching;
  // Whether the replay watched now was chosen in the game (not given on the
  // command line): it ends back where it was chosen.
  bool WatchingFromTheGame() const { return returnFromWatching_; }
  // Ends the replay watched from the game: the world put back, then
  // afterWatching.
  void EndWatching();

  // ---------------------------------------------------------- practice
  // Starts a practice from `point` (one of PracticePoints) with the ship's
  // power `power` (0 to kMaxPower) at the top of the next frame, the first
  // of the practice. It never enters the ranking, and ends at the end of its
  // stage or boss, or at game over: the results screen, then the title.
  void StartPractice(const StartPoint& point, int power);
  // The practice being played or watched (null: a game, or none).
  const StartPoint* practice = nullptr;
  // The ship's power the Practice page starts with.
  int practicePower = 0;

  // ---------------------------------------------------------- world
  void ResetRun();
  void ResetStage();
  void StartNewLife();
  void StartFlyIn(int x, int speed);
  void SetTrail(int x, int y);
  void UpdateTrail();

  // ---------------------------------------------------------- assets and requests
  void StartComponents();
  void LoadAssets();
  // The songs, loaded when the first of them is to play (the synthesizer
  // loads its SoundFont meanwhile): the first frame does not wait for them.
  void LoadSongs();
  // Starts the frame's requested song, and its effect when `withEffects`
  // (a frame fast play does not show plays none); both requests are taken.
  void ServeRequests(bool withEffects = true);

  // ---------------------------------------------------------- rendering and HUD
  void ScrollBackground();
  void DrawGlyphText(int x, int y, int style, std::string_view text);
  void DrawScoreLine();
  // `value` in decimal, in the form's number buffer.
  std::string_view FormatNumber(int32_t value);
  void UpdateBanners();
  // Lowest free banner with the given kind and timer (dropped when full).
  game::Banner* ShowBanner(int kind, int timer, int x = 0, int y = 0, int zoomY = 256);

  // Whether something that flashes every frame shows lit now: `everyFrame`,
  // or with reducedFlashing lit for kReducedFlashFrames frames of `frames`
  // (any counter that moves by one a frame) and dark for as many.
  bool FlashLit(bool everyFrame, int32_t frames) const;

  // ---------------------------------------------------------- ranking
  void LoadRanking();
  void SaveRanking();
  // The save-failure message, after the reason on stderr.
  void ReportSaveFailure(const std::string& reason);
  // last.rpl could not be written: said in the window once a run, and on
  // stderr every time; play goes on.
  void ReportLastReplayFailure(const std::string& reason);
  void InsertScore();
  void DrawRanking();
  void DrawRankRow(int row, int style, uint32_t shadowColour, uint32_t textColour);

  // ---------------------------------------------------------- screens
  void RunScreen();
  void RunTitleScreen();
  void RunPlayScreen();
  void RunGameOverScreen();
  void RunResultsScreen();
  void RunRankingScreen();
  void RunHowToPlayScreen();
  // The one place the game reads the input: a poll, or a watched replay's.
  void ReadInput(VantorInputSystem::TVantorInputState& state);
  // Polls the input and applies the press test: true for a press the screen
  // may take (the latch is then the caller's to set).
  bool ReadPress();
  void DrawTitleBackground();
  void DrawTitle();
  // The world routines the game-over and results screens keep running.
  void RunWorld();
  // Leaves the results or ranking screen for the title (the title song
  // again after a game-over or ending song).
  void ReturnToTitle(bool pressed);
  // The game is over without game over (the ship flew out, a practice's
  // stage or boss ended): the results screen.
  void ShowResults();

  // ---------------------------------------------------------- play routines
  // Stage play, stage scripts, enemies, bullets, effects, bosses, game-over
  // picture and the how-to-play demonstration.
  void UpdatePlay();
  void UpdatePlayer();
  void RunStageScript();
  void UpdateEnemies();
  void DrawEnemyOverlays();
  void UpdateEnemyBullets();
  void UpdateEffects();
  void DrawSparks();
  void DrawGameOverPicture();
  void RunHowToPlay();

  // ---------------------------------------------------------- components
  std::unique_ptr<VantorInputSystem::TVantorInput> chip;
  std::unique_ptr<VantorMidiSystem::TVantorMidi> cmid;
  std::unique_ptr<VantorSoundSystem::TVantorSound> csou;
  std::unique_ptr<VantorDrawSystem::TVantorDraw> cdraw;
  // score.dat in the player's data folder.
  std::unique_ptr<ScoreStore> scoreStore;
  // Records every game, or plays a replay back.
  ReplayDeck replays;

  // ---------------------------------------------------------- world
  int32_t rankingPrepared = 0;
  int32_t blinkPhase = 0;
  int32_t newRow = kNoNewRow;
  int32_t dirCos[16] = {};
  int32_t dirSin[16] = {};
  char numberBuffer[20] = {};
  game::GameState GameState = {};
  game::PlayerShip PlayerShip = {};
  TrailPoint Trail[kTrailLength] = {};
  ShotPool Shot = {};
  EnemyPool Enemy = {};
  EnemyBulletPool EnemyBullet = {};
  EffectPool Effect = {};
  BannerPool Banner = {};
  RankEntry Ranking[kRankRows] = {};

  // ---------------------------------------------------------- the player's settings
  // Takes the settings (file and command line) and applies them all.
  void UseSettings(const PlayerSettings& settings);
  PlayerSettings playerSettings;
  // For those sensitive to flashing light: the new ranking row and the
  // blinking ship flash at most three times a second.
  bool reducedFlashing = false;
  // Whether the pictures wait for the display's vertical blank.
  platform::VSync vsync = platform::VSync::Auto;
  // Why changes could not be saved, each told to the player once.
  std::set<std::string> unsavedReasons;
  Menus menus;
  HeldKeys heldKeys;
  // The Replays page's rows while it is open.
  ReplayShelf replayShelf;
  // Replays sent to a shared-ranking board when the player asks.
  BoardLink board;

  // ---------------------------------------------------------- checks (runner, tests)
  // Keeps the ship from being hit (the runner's --invincible, for checks only).
  bool keepShipUnhurt = false;
  // Watching, fast play whether or not button 1 is held.
  bool fastPlay = false;
  // Every frame drawn into nothing, presented nowhere and without its
  // effects: the world alone, as a verifier plays it. Songs still start, as
  // the world asks for them.
  bool drawNothing = false;
  // What the request service started in the last frame (0 = nothing), for
  // the runner's trace.
  int32_t songStarted = 0;
  int32_t effectStarted = 0;
  // The last song started (0: none yet).
  int32_t currentSong = 0;

 private:
  platform::Window* window_ = nullptr;
  // Closes the form from the message loop: a frame cannot close it while it
  // runs as the idle handler.
  platform::MessageWindow closeLater_{[this](platform::Message&) { Close(); }};
  // The frame pacer reaches the display's refresh through the draw component.
  class DrawRefresh final : public platform::DisplaySync {
   public:
    explicit DrawRefresh(const std::unique_ptr<VantorDrawSystem::TVantorDraw>& draw) : draw_(draw) {}
    int RefreshRate() override;
    bool SetVSync(bool on) override;
    void WaitVSync() override;

   private:
    const std::unique_ptr<VantorDrawSystem::TVantorDraw>& draw_;
  };
  DrawRefresh drawRefresh_{cdraw};
  FramePacer pacer_;
  bool paused_ = false;
  // The focus or a pad was lost since the menus last closed: key events
  // went missing.
  bool readHeldOnClose_ = false;
  bool startUpFailed_ = false;
  bool firstFrameShown_ = false;
  // The last song request, kept until the synthesizer is ready to play it.
  int pendingMusic_ = 0;
  bool songsLoaded_ = false;
  // Start-up so far: the stages noted by the first frame, and when the first
  // frame and the music came (0: not yet).
  std::vector<platform::StartUpStage> startUpStages_;
  double firstFrameAt_ = 0, musicAt_ = 0;
  bool lastFailureShown_ = false;
  // Watching from the game: the world to put back once the replay is over.
  bool returnFromWatching_ = false;
  WorldSnapshot beforeWatching_;
  // A practice to start at the top of the next frame, and its power.
  const StartPoint* pendingPractice_ = nullptr;
  int pendingPower_ = 0;
  void ApplyPractice();
  // Whether the practice's stage or boss is over.
  bool PracticeOver() const;
};

}  // namespace game
