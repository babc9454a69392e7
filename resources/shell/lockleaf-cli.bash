# bash completion for lockleaf-cli                         -*- shell-script -*-
#
# Stands alone (no bash-completion helpers), so it can also be sourced from
# ~/.bashrc after `cmake --install`. Keep the option lists in step with
# `lockleaf-cli --help`; tests/packaging checks that they are.

_lockleaf_cli()
{
    local cur=${COMP_WORDS[COMP_CWORD]} prev=
    ((COMP_CWORD > 0)) && prev=${COMP_WORDS[COMP_CWORD - 1]}
    COMPREPLY=()

    # bash splits "--key-length=1" at the "=", so put the option back in prev.
    if [[ $cur == = ]]; then
        cur=
    elif [[ $prev == = ]] && ((COMP_CWORD > 1)); then
        prev=${COMP_WORDS[COMP_CWORD - 2]}
    fi

    local common='-p --password --password-file -r --recursive -q --quiet --jobs --json -h --help --version
        --files-from --null --shard'
    local writing='-o --output --in-place --backup --log-dir --allow-signed --password-map --resume'
    local secure='--open-password --open-password-file --permission-password
        --permission-password-file --key-length --no-print --no-copy
        --allow-modify --allow-annotate --allow-fill-forms --allow-assemble --low-res-print'

    case $prev in
        --key-length)
            mapfile -t COMPREPLY < <(compgen -W '40 128 256' -- "$cur")
            return
            ;;
        --jobs)
            mapfile -t COMPREPLY < <(compgen -W "1 2 4 $(nproc 2>/dev/null)" -- "$cur")
            return
            ;;
        -o | --output | --log-dir)
            compopt -o filenames 2>/dev/null
            mapfile -t COMPREPLY < <(compgen -d -- "$cur")
            return
            ;;
        --password-file | --open-password-file | --permission-password-file | --password-map | \
            --files-from | --resume)
            compopt -o filenames 2>/dev/null
            mapfile -t COMPREPLY < <(compgen -f -- "$cur")
            return
            ;;
        -p | --password | --open-password | --permission-password | --shard)
            return # a password is typed, never guessed; a shard is the user's to choose
            ;;
    esac

    # The command is the first word that is neither an option nor an option's value.
    local i word command= skip=
    for ((i = 1; i < COMP_CWORD; i++)); do
        word=${COMP_WORDS[i]}
        if [[ -n $skip ]]; then
            skip=
        elif [[ $word == = ]]; then
            skip=1 # the value after "--option="
        elif [[ $word == -* ]]; then
            case $word in
                -o | --output | --log-dir | -p | --password | --password-file | --open-password | \
                    --open-password-file | --permission-password | --permission-password-file | --key-length | \
                    --jobs | --files-from | --shard | --resume | --password-map)
                    skip=1
                    ;;
            esac
            [[ ${COMP_WORDS[i + 1]} == = ]] && skip=
        else
            command=$word
            break
        fi
    done

    if [[ -z $command ]]; then
        if [[ $cur == -* ]]; then
            mapfile -t COMPREPLY < <(compgen -W "$common $writing $secure" -- "$cur")
        else
            mapfile -t COMPREPLY < <(compgen -W 'secure unsecure list passwords' -- "$cur")
        fi
        return
    fi

    # passwords list|add|remove: the password itself comes on standard input.
    if [[ $command == passwords ]]; then
        local sub=
        for ((i = i + 1; i < COMP_CWORD; i++)); do
            [[ ${COMP_WORDS[i]} != -* ]] && sub=${COMP_WORDS[i]} && break
        done
        if [[ -z $sub ]]; then
            mapfile -t COMPREPLY < <(compgen -W 'list add remove' -- "$cur")
        elif [[ $sub == list ]]; then
            mapfile -t COMPREPLY < <(compgen -W '--show' -- "$cur")
        fi
        return
    fi

    if [[ $cur == -* ]]; then
        local options=$common
        case $command in
            secure) options="$common $writing $secure" ;;
            unsecure) options="$common $writing --saved-passwords" ;;
            list) options="$common --saved-passwords" ;;
        esac
        mapfile -t COMPREPLY < <(compgen -W "$options" -- "$cur")
        return
    fi

    # PATHs: folders, and files whose extension the command takes (pdf or PDF).
    compopt -o filenames 2>/dev/null
    mapfile -t COMPREPLY < <(
        compgen -d -- "$cur"
        compgen -f -X '!*.pdf' -- "$cur"
        compgen -f -X '!*.PDF' -- "$cur"
    )
} &&
    complete -F _lockleaf_cli lockleaf-cli
