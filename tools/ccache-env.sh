# Sourced by the build scripts (with $root set to the checkout): how ccache treats this
# checkout's compilations, set here rather than in the user's ccache configuration.
# - Paths under the checkout are hashed relative to it, so another checkout of the same
#   sources reuses the objects.
# - The tests' and benchmarks' precompiled headers: ccache caches what is compiled with one
#   only when told that the macros defined before it and __DATE__ and __TIME__ may be left
#   out of the hash (the headers are Qt's, GoogleTest's and Google Benchmark's; no source of
#   ours uses those macros). The user's own sloppiness is kept beside it.
# - The cache's size, where the user has not set one: ccache's default of 5 GB holds less
#   than one build of everything with its sanitized twin (objects with debug information,
#   precompiled headers of 250 MB), so each build evicted what the next one needed and a
#   clone compiled the tests again. 20 GB holds both with room for a second checkout.
export CCACHE_BASEDIR="$root" CCACHE_NOHASHDIR=1
own_sloppiness="$(ccache --get-config sloppiness 2>/dev/null || true)"
export CCACHE_SLOPPINESS="${own_sloppiness:+$own_sloppiness,}pch_defines,time_macros"
unset own_sloppiness
if ccache -p 2>/dev/null | grep -q '^(default) max_size'; then
  export CCACHE_MAXSIZE=20G
fi
