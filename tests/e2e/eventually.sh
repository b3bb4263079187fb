# eventually SECONDS COMMAND...: retries the check until it holds or time is up
eventually() {
  local deadline=$((SECONDS + $1)); shift
  until "$@"; do
    [ $SECONDS -ge $deadline ] && return 1
    sleep 0.3
  done
}
