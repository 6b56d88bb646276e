-- Players, their games (with the replay), the verification queue, and the
-- record of submissions that the rate limits count and that keeps the
-- addresses for 30 days. Times are seconds since 1970 (UTC).
CREATE TABLE players (
  id INTEGER PRIMARY KEY,
  name TEXT NOT NULL,
  name_key TEXT NOT NULL UNIQUE,
  token_hash TEXT NOT NULL,
  banned INTEGER NOT NULL DEFAULT 0,
  created INTEGER NOT NULL
);

CREATE TABLE games (
  id INTEGER PRIMARY KEY,
  identity TEXT NOT NULL UNIQUE,
  player_id INTEGER NOT NULL REFERENCES players(id) ON DELETE CASCADE,
  season INTEGER NOT NULL,
  state TEXT NOT NULL CHECK (state IN ('pending', 'accepted', 'refused')),
  reason TEXT,
  claimed_score INTEGER NOT NULL,
  frames INTEGER NOT NULL,
  score INTEGER,
  stage INTEGER,
  checksum TEXT,
  hidden INTEGER NOT NULL DEFAULT 0,
  received INTEGER NOT NULL,
  verified INTEGER,
  replay BLOB NOT NULL
);
CREATE INDEX games_by_season ON games (season, state, score DESC, received);
CREATE INDEX games_by_player ON games (player_id, state);
CREATE INDEX games_refused ON games (state, verified);

CREATE TABLE jobs (
  game_id INTEGER PRIMARY KEY REFERENCES games(id) ON DELETE CASCADE,
  state TEXT NOT NULL CHECK (state IN ('queued', 'running')),
  attempts INTEGER NOT NULL DEFAULT 0,
  lease_owner TEXT,
  lease_until INTEGER,
  queued INTEGER NOT NULL
);
CREATE INDEX jobs_by_age ON jobs (state, queued);

CREATE TABLE submissions (
  id INTEGER PRIMARY KEY,
  player_id INTEGER NOT NULL REFERENCES players(id) ON DELETE CASCADE,
  address TEXT NOT NULL,
  frames INTEGER NOT NULL,
  at INTEGER NOT NULL
);
CREATE INDEX submissions_by_player ON submissions (player_id, at);
CREATE INDEX submissions_by_address ON submissions (address, at);

-- Bumped by every change the ranking shows, so each board reloads it.
CREATE TABLE ranking_generation (generation INTEGER NOT NULL);
INSERT INTO ranking_generation VALUES (0);
