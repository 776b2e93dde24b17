# Sourced by the screenshot scripts that show a good signature: a
# publisher's key made with gpg in a throwaway GNUPGHOME (shot_sign signs
# with it), added to the key store of the screenshot prefix by the built
# sumbrook-cli.exe under the label "Example releases", and removed again by
# shot_keys_end (which the script's exit trap calls).
# Usage: shot_keys_start PROGRAM_DIR WORK_DIR; shot_sign gpg-args...; shot_keys_end
shot_keys_start() {
  # Beside the program in a release, in cli/ of a build tree.
  shot_cli="$1/sumbrook-cli.exe"
  [ -f "$shot_cli" ] || shot_cli="$1/cli/sumbrook-cli.exe"
  shot_gnupg="$2/gnupg"
  mkdir -p "$shot_gnupg"
  chmod 700 "$shot_gnupg"
  shot_sign --quick-gen-key "Example Releases <releases@example.org>" ed25519 sign never
  shot_sign --armor --export releases@example.org >"$2/releases.asc"
  shot_fingerprint=$(shot_sign --with-colons --list-keys releases@example.org |
    awk -F: '$1 == "fpr" { print $10; exit }')
  source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
  export WINEPREFIX="$SUMBROOK_WINE_DIR/prefix-screenshot"
  sumbrook_prepare_drawing_prefix
  (unset DISPLAY WAYLAND_DISPLAY
   wine "$shot_cli" --add-key "Z:${2//\//\\}\\releases.asc" --label "Example releases" >/dev/null)
}

shot_sign() {
  gpg --homedir "$shot_gnupg" --batch --quiet --no-tty --pinentry-mode loopback --passphrase '' "$@"
}

shot_keys_end() {
  [ -n "${shot_fingerprint:-}" ] || return 0
  (unset DISPLAY WAYLAND_DISPLAY
   wine "$shot_cli" --remove-key "$shot_fingerprint" >/dev/null 2>&1 || true
   wineserver -k 2>/dev/null || true)
  gpgconf --homedir "$shot_gnupg" --kill all >/dev/null 2>&1 || true
}
