"""Pacing a bot to the game's clock: the server advances the world 40 times
a second, so a frame sent more often sees the same world again."""

import asyncio
import time

TICKS_PAR_SECONDE = 40


class Cadence:
    """Frames at `frequence` per second. attend() sleeps until the next
    frame is due; a loop that fell behind skips the frames it missed
    instead of rushing to catch up."""

    def __init__(self, frequence: float = TICKS_PAR_SECONDE, horloge=time.monotonic):
        if not frequence > 0:
            raise ValueError("frequence : un nombre > 0")
        self.periode = 1.0 / frequence
        self._horloge = horloge
        self._prochaine = None

    def _pause(self) -> float:
        """Seconds to wait before the next frame, and the schedule moved on."""
        maintenant = self._horloge()
        if self._prochaine is None:
            self._prochaine = maintenant
        self._prochaine += self.periode
        if self._prochaine < maintenant:
            self._prochaine = maintenant
        return self._prochaine - maintenant

    def attend(self, dort=time.sleep) -> None:
        """Sleeps until the next frame is due (the first call waits one period)."""
        pause = self._pause()
        if pause > 0:
            dort(pause)

    async def attend_async(self) -> None:
        pause = self._pause()
        await asyncio.sleep(max(pause, 0))
