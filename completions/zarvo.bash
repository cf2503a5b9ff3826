# bash completion for zarvo: commands, the options of the command being typed, list titles and the
# ids of open tasks (asked of zarvo itself, with the --home and --config typed on the line).

# A word of the line as the shell will pass it: its quotes or backslashes taken off, a leading ~/
# made the home folder (nothing is evaluated).
_zarvo_word() {
  local w=$1
  case "$w" in
    \'*\') w=${w:1:${#w}-2} ;;
    \"*\") w=${w:1:${#w}-2} ;;
    *) w=${w//\\/} ;;
  esac
  [[ "$w" == "~/"* ]] && w="$HOME/${w:2}"
  printf '%s' "$w"
}

# Offers the lines of `zarvo __complete WHAT` that start with the word being typed, quoted for the shell.
_zarvo_offer() {
  local line typed
  typed=$(_zarvo_word "$cur")
  COMPREPLY=()
  while IFS= read -r line; do
    [[ "$1" == ids ]] && line=${line%%$'\t'*}
    [[ -n "$line" && "$line" == "$typed"* ]] && COMPREPLY+=("$(printf '%q' "$line")")
  done < <("$(_zarvo_word "${words[0]}")" "${_zarvo_home[@]}" __complete "$1" 2>/dev/null)
}

_zarvo() {
  local cur prev words cword
  _init_completion || return

  local commands="add ls report show done undo redo edit snooze mv rm tag purge lists list-add list-edit list-rm list-mv list-default quick parse account sync reminders"
  local command="" i positional=0
  local -a _zarvo_home=()
  for ((i = 1; i < cword; i++)); do
    case "${words[i]}" in
      --home|--config) _zarvo_home+=("${words[i]}" "$(_zarvo_word "${words[i+1]}")"); ((i++)) ;;
      --color|--priority|--ref|--tz|--title|--notes|--due|--search|--above|--list|--option|--tag|--sort|--lang|--user|--password-*) ((i++)) ;;
      -*) ;;
      *) if [[ -z "$command" ]]; then command="${words[i]}"; else ((positional++)); fi ;;
    esac
  done

  case "$prev" in
    --home) _filedir -d; return ;;
    --config) _filedir toml; return ;;
    --color)
      if [[ "$command" == list-add || "$command" == list-edit ]]; then
        COMPREPLY=($(compgen -W "red orange yellow green blue purple brown grey auto always never" -- "$cur"))
      else
        COMPREPLY=($(compgen -W "auto always never" -- "$cur"))
      fi
      return ;;
    --sort) COMPREPLY=($(compgen -W "priority due created title overdue" -- "$cur")); return ;;
    --lang) COMPREPLY=($(compgen -W "english spanish french japanese german chinese en es fr ja de zh" -- "$cur")); return ;;
    --password-file) _filedir; return ;;
    --above|--list) _zarvo_offer lists; return ;;
    --priority|--ref|--tz|--title|--notes|--due|--search|--option|--tag|--user|--password-command|--password-env) return ;;
  esac

  local globals="--home --color --config"
  if [[ -z "$command" ]]; then
    if [[ "$cur" == -* ]]; then
      COMPREPLY=($(compgen -W "$globals --version --help" -- "$cur"))
    else
      COMPREPLY=($(compgen -W "$commands" -- "$cur"))
    fi
    return
  fi

  # Global options work after the command too.
  local options="--help --json $globals"
  case "$command" in
    add) options+=" --ref --tz --list --priority --notes --tag --flag --literal" ;;
    ls) options+=" --today --upcoming --flagged --top --overdue --week --no-due --priority --search --tag --completed --sort --desc --ref --tz" ;;
    show|report) options+=" --ref --tz" ;;
    snooze) options+=" --ref --tz" ;;
    edit) options+=" --title --notes --priority --due --no-due --flag --unflag --ref --tz" ;;
    tag) options+=" --remove" ;;
    undo|redo) options+=" --skip" ;;
    rm|purge) options+=" --yes --dry-run" ;;
    list-rm) options+=" --force --yes --dry-run" ;;
    list-mv) options+=" --above" ;;
    list-add) options+=" --color" ;;
    list-edit) options+=" --title --color" ;;
    quick) options+=" --ref --tz --list --literal" ;;
    parse) options+=" --ref --tz --strict --lang --option --batch" ;;
    account) [[ "$cur" != -* ]] && { COMPREPLY=($(compgen -W "add ls rm" -- "$cur")); return; }
             options+=" --user --password-file --password-command --password-env --upload --no-upload --delete-local" ;;
    sync) options+=" --discover --force-delete" ;;
    reminders) [[ "$cur" != -* ]] && { COMPREPLY=($(compgen -W "enable disable status" -- "$cur")); return; } ;;
  esac
  if [[ "$cur" == -* ]]; then
    COMPREPLY=($(compgen -W "$options" -- "$cur"))
    return
  fi
  # The words after the command: lists for the list commands (and ls, and mv's second), task ids.
  case "$command" in
    list-edit|list-rm|list-mv|list-default) ((positional == 0)) && _zarvo_offer lists ;;
    ls) _zarvo_offer lists ;;
    mv) if ((positional == 0)); then _zarvo_offer ids; else _zarvo_offer lists; fi ;;
    show|done|rm) _zarvo_offer ids ;;
    edit|snooze|tag) ((positional == 0)) && _zarvo_offer ids ;;
  esac
}
complete -F _zarvo zarvo
