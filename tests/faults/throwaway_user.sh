# Sourced by the fault tests that run zelvo-batch as a throwaway system user.
# Only root can make one: anyone else skips the test (status 77).
# with_throwaway_user NAME WHY: sets WORK, a new folder, and user, a new
# system user named NAME-<pid>; both are removed when the test exits. WHY
# says in the skip message what the user is for.
with_throwaway_user() {
  if [ "$(id -u)" -ne 0 ]; then
    echo "skipped: only root can run a test as a user $2"
    exit 77
  fi
  WORK=$(mktemp -d)
  user=$1-$$
  trap 'userdel "$user" >/dev/null 2>&1; rm -rf "$WORK"' EXIT
  useradd --system --no-create-home --shell /usr/sbin/nologin "$user" || exit 1
}
