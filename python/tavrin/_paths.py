"""File names on their way to the SDK, and the system's reason when a file
cannot be written there.

On Windows names go to the wide-character exports (Tavrin_SaveImageW,
Tavrin_RecordW), so that names beyond ASCII arrive as they are; elsewhere
file names are bytes, passed in the file system's encoding."""

from __future__ import annotations

import errno
import os
import sys
from pathlib import Path
from typing import Optional, Tuple, Union

from .errors import SDKERR_PARAMETER, BadValueError

PathArgument = Union[str, "os.PathLike[str]"]
WIDE = sys.platform == "win32"


def checked(path: PathArgument, operation: str) -> Path:
    """The path as a Path; an empty name or one with a NUL character (which
    would cut the name short in the SDK) is refused."""
    text = os.fspath(path)
    if not isinstance(text, str):
        raise TypeError(f"{operation}: the file name must be a str or a path, not {type(text).__name__}")
    if not text or "\0" in text:
        raise BadValueError(operation, [SDKERR_PARAMETER],
                            "a file name must not be empty or hold a NUL character" if text else
                            "the file name is empty")
    return Path(text)


def for_sdk(path: Path) -> Union[str, bytes]:
    """The argument of the export: text for the wide exports, bytes otherwise."""
    return str(path) if WIDE else os.fsencode(path)


def why_not_writable(path: Path) -> Optional[Tuple[int, str]]:
    """(errno, reason) when the file cannot be written, in the system's
    words; None when it can. A file that did not exist is removed again."""
    folder = path.parent
    if not folder.exists():
        return errno.ENOENT, f"the folder {folder} does not exist"
    if not folder.is_dir():
        return errno.ENOTDIR, f"{folder} is not a folder"
    if path.is_dir():
        return errno.EISDIR, os.strerror(errno.EISDIR)
    existed = path.exists()
    try:
        with open(path, "ab"):
            pass
    except OSError as error:
        return error.errno or 0, error.strerror or str(error)
    if not existed:
        try:
            path.unlink()
        except OSError:
            pass
    return None
