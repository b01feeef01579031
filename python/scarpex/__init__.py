from .problem import *  # noqa: F401,F403
