-- A game is what its verification proves (its identity), not its file: a copy
-- with an edited score, or with input on frames that read none, is the same
-- game. Only a verified game may make another a duplicate, so the identity is
-- no longer unique among games (refused copies and copies still waiting share
-- it): `owners` holds each verified game once, with the player who had it
-- verified first, and keeps it when the game drops out of that player's best.
-- A wrong token counts against its address as a submission of no player.
ALTER TABLE games DROP CONSTRAINT games_identity_key;
ALTER TABLE games ADD COLUMN duplicate_of BIGINT;
ALTER TABLE submissions ALTER COLUMN player_id DROP NOT NULL;

CREATE TABLE owners (
  identity TEXT PRIMARY KEY,
  player_id BIGINT NOT NULL REFERENCES players(id) ON DELETE CASCADE,
  game_id BIGINT NOT NULL,
  verified BIGINT NOT NULL
);

-- The games ranked so far are verified again, in the order they were first
-- verified and before any game sent later: that proves their identities, and
-- a game ranked more than once stays ranked as its first only.
INSERT INTO jobs (game_id, state, queued) SELECT id, 'queued', COALESCE(verified, received) FROM games
  WHERE state = 'accepted';
