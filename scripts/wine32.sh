# The 32-bit Wine that scripts/wine32-setup.sh found, read from
# build/wine32/choice (LS_BUILD_DIR names another build folder). Sourced; sets
#   wine32_way     system, tree, qemu or none
#   wine32_loader  the program that starts a 32-bit Wine process (empty for none)
#   wine32_why     for none, why no 32-bit Wine can run here
wine32_way=none
wine32_loader=
wine32_why="scripts/setup.sh has not looked for one"
if [ -f "${LS_BUILD_DIR:-build}/wine32/choice" ]; then
    . "${LS_BUILD_DIR:-build}/wine32/choice"
fi
