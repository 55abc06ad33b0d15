# bash completion for quillmark-tag
_quillmark_tag()
{
  local cur prev words cword
  _init_completion || return

  local command="" i
  for ((i = 1; i < cword; i++)); do
    case "${words[i]}" in
      dump | show | set | compact | detect) command="${words[i]}"; break ;;
    esac
  done

  case "$prev" in
    --layout)
      COMPREPLY=($(compgen -W "SideBySideRF SideBySideLF OverUnderRT OverUnderLT DualStream MultiStream Mono" -- "$cur"))
      return ;;
    --preview | --poster)
      _filedir '@(jpg|jpeg|JPG|JPEG)'
      return ;;
    --values)
      _filedir json
      return ;;
    --duration | --parallax | --source | --title | --author | --copyright | --description | \
      --disc-name | --title-name | --title-index)
      return ;;
  esac

  # The tool's own options, taken before or after the command.
  local tool_options="-h --help --version -q --quiet -v --verbose"
  if [[ -z "$command" ]]; then
    if [[ "$cur" == -* ]]; then
      COMPREPLY=($(compgen -W "$tool_options" -- "$cur"))
    else
      COMPREPLY=($(compgen -W "dump show set compact detect" -- "$cur"))
    fi
    return
  fi
  if [[ "$cur" == -* ]]; then
    local options="-h --help -q --quiet -v --verbose -r --recursive --json"
    case "$command" in
      set)
        options="$options --stereo --no-stereo --layout --layout-from-name
          --half-width --no-half-width --half-height --no-half-height --duration --parallax
          --source --title --author --copyright --description --disc-name --title-name
          --title-index --values --preview --no-preview --poster --no-poster
          --detect-layout --preview-from-video --poster-from-video --dry-run" ;;
      compact) options="$options --dry-run" ;;
    esac
    COMPREPLY=($(compgen -W "$options" -- "$cur"))
    return
  fi
  if [[ "$command" == detect ]]; then
    _filedir
  else
    # Windows Media files, and Matroska and WebM files (not taken by compact).
    if [[ "$command" == compact ]]; then
      _filedir '@(wmv|wma|asf|WMV|WMA|ASF)'
    else
      _filedir '@(wmv|wma|asf|mkv|webm|WMV|WMA|ASF|MKV|WEBM)'
    fi
  fi
} &&
  complete -F _quillmark_tag quillmark-tag
