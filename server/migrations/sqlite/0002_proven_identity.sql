-- A game is what its verification proves (its identity), not its file: a copy
-- with an edited score, or with input on frames that read none, is the same
-- game. Only a verified game may make another a duplicate, so the identity is
-- no longer unique among games (refused copies and copies still waiting share
-- it): `owners` holds each verified game once, with the player who had it
-- verified first, and keeps it when the game drops out of that player's best.
-- A wrong token counts against its address as a submission of no player.
-- SQLite changes a column's constraints by copying its table; the jobs refer
-- to the games, so they are copied too, and dropped first.
CREATE TABLE games_v2 (
  id INTEGER PRIMARY KEY,
  identity TEXT NOT NULL,
  player_id INTEGER NOT NULL REFERENCES players(id) ON DELETE CASCADE,
  season INTEGER NOT NULL,
  state TEXT NOT NULL CHECK (state IN ('pending', 'accepted', 'refused')),
  reason TEXT,
  duplicate_of INTEGER,
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
INSERT INTO games_v2 (id, identity, player_id, season, state, reason, claimed_score, frames, score, stage, checksum,
                      hidden, received, verified, replay)
  SELECT id, identity, player_id, season, state, reason, claimed_score, frames, score, stage, checksum, hidden,
         received, verified, replay FROM games;

CREATE TABLE jobs_v2 (
  game_id INTEGER PRIMARY KEY REFERENCES games_v2(id) ON DELETE CASCADE,
  state TEXT NOT NULL CHECK (state IN ('queued', 'running')),
  attempts INTEGER NOT NULL DEFAULT 0,
  lease_owner TEXT,
  lease_until INTEGER,
  queued INTEGER NOT NULL
);
INSERT INTO jobs_v2 SELECT game_id, state, attempts, lease_owner, lease_until, queued FROM jobs;

CREATE TABLE submissions_v2 (
  id INTEGER PRIMARY KEY,
  player_id INTEGER REFERENCES players(id) ON DELETE CASCADE,
  address TEXT NOT NULL,
  frames INTEGER NOT NULL,
  at INTEGER NOT NULL
);
INSERT INTO submissions_v2 SELECT id, player_id, address, frames, at FROM submissions;

DROP TABLE jobs;
DROP TABLE games;
DROP TABLE submissions;
ALTER TABLE games_v2 RENAME TO games;
ALTER TABLE jobs_v2 RENAME TO jobs;
ALTER TABLE submissions_v2 RENAME TO submissions;
CREATE INDEX games_by_season ON games (season, state, score DESC, received);
CREATE INDEX games_by_player ON games (player_id, state);
CREATE INDEX games_refused ON games (state, verified);
CREATE INDEX jobs_by_age ON jobs (state, queued);
CREATE INDEX submissions_by_player ON submissions (player_id, at);
CREATE INDEX submissions_by_address ON submissions (address, at);

CREATE TABLE owners (
  identity TEXT PRIMARY KEY,
  player_id INTEGER NOT NULL REFERENCES players(id) ON DELETE CASCADE,
  game_id INTEGER NOT NULL,
  verified INTEGER NOT NULL
);

-- The games ranked so far are verified again, in the order they were first
-- verified and before any game sent later: that proves their identities, and
-- a game ranked more than once stays ranked as its first only.
INSERT INTO jobs (game_id, state, queued) SELECT id, 'queued', COALESCE(verified, received) FROM games
  WHERE state = 'accepted';
