"""Where the SDK's library was found when this package was built for
installation (pip writes this file anew); None in a checkout."""

from typing import Optional

LIBRARY: Optional[str] = None
