# bash completion for zvx: commands, each command's options (read from its --help, so that they
# never drift), format names, the serial ports zvx lists, files and folders.
_zvx()
{
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]}
    local commands="info wrap unwrap send receive ports help" command="" word
    for word in "${COMP_WORDS[@]:1:COMP_CWORD-1}"; do
        case $word in info|wrap|unwrap|send|receive|ports|help) command=$word; break ;; esac
    done
    case $prev in
    --format)
        COMPREPLY=($(compgen -W "docomo n2051 f2051 p2102v p504i jn51 jn51-camera direct" -- "$cur"))
        return ;;
    --port)
        COMPREPLY=($(compgen -W "$(zvx ports 2>/dev/null | cut -d' ' -f1)" -- "$cur"))
        return ;;
    -o)
        if [[ $command == wrap ]]; then COMPREPLY=($(compgen -f -- "$cur")); else COMPREPLY=($(compgen -d -- "$cur")); fi
        return ;;
    --files-from)
        COMPREPLY=($(compgen -f -- "$cur"))
        return ;;
    --title|--summary|--name|--time|--speed|--count|--obex-name)
        return ;;
    esac
    if [[ -z $command || $command == help ]]; then
        COMPREPLY=($(compgen -W "$commands -h --help -V --version -q --quiet -v --verbose" -- "$cur"))
        return
    fi
    if [[ $cur == -* ]]; then
        local options
        options=$(LC_ALL=C.UTF-8 zvx "$command" --help 2>/dev/null | grep -oE -- '(^|[ ,])--?[a-zA-Z][a-z-]*' | tr -d ' ,')
        COMPREPLY=($(compgen -W "$options" -- "$cur"))
        return
    fi
    COMPREPLY=($(compgen -f -- "$cur"))
}
complete -o filenames -F _zvx zvx
