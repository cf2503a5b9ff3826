<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="fr">
<context>
    <name>DueText</name>
    <message>
        <source>today</source>
        <translation>aujourd’hui</translation>
    </message>
    <message>
        <source>tomorrow</source>
        <translation>demain</translation>
    </message>
    <message>
        <source>yesterday</source>
        <translation>hier</translation>
    </message>
</context>
<context>
    <name>TaskCount</name>
    <message>
        <source>{0, plural, one {# task} other {# tasks}}</source>
        <comment>ICU MessageFormat: keep {0, plural, ...} and #</comment>
        <translation>{0, plural, one {# tâche} other {# tâches}}</translation>
    </message>
</context>
<context>
    <name>zarvo::desktop::AccountDialog</name>
    <message>
        <source>Accounts</source>
        <translation>Comptes</translation>
    </message>
    <message>
        <source>Account</source>
        <translation>Compte</translation>
    </message>
    <message>
        <source>Account name</source>
        <translation>Nom du compte</translation>
    </message>
    <message>
        <source>Server URL</source>
        <translation>URL du serveur</translation>
    </message>
    <message>
        <source>User name</source>
        <translation>Nom d’utilisateur</translation>
    </message>
    <message>
        <source>Password</source>
        <translation>Mot de passe</translation>
    </message>
    <message>
        <source>&amp;Account:</source>
        <translation>&amp;Compte :</translation>
    </message>
    <message>
        <source>&amp;Name:</source>
        <translation>&amp;Nom :</translation>
    </message>
    <message>
        <source>Server &amp;URL:</source>
        <translation>&amp;URL du serveur :</translation>
    </message>
    <message>
        <source>U&amp;ser:</source>
        <translation>U&amp;tilisateur :</translation>
    </message>
    <message>
        <source>&amp;Password:</source>
        <translation>Mot de &amp;passe :</translation>
    </message>
    <message>
        <source>The password is kept in your desktop&apos;s keyring (the Secret Service), not in a file; a sync asks the keyring for it.</source>
        <translation>Le mot de passe est gardé dans le trousseau du bureau (Secret Service), pas dans un fichier ; chaque synchronisation le demande au trousseau.</translation>
    </message>
    <message>
        <source>New account</source>
        <translation>Nouveau compte</translation>
    </message>
    <message>
        <source>unchanged</source>
        <translation>inchangé</translation>
    </message>
    <message>
        <source>kept elsewhere now; type it to keep it in the keyring</source>
        <translation>gardé ailleurs pour l’instant ; tapez-le pour le garder dans le trousseau</translation>
    </message>
    <message>
        <source>Not saved: %1</source>
        <translation>Non enregistré : %1</translation>
    </message>
    <message>
        <source>&amp;Remove Account…</source>
        <translation>Supp&amp;rimer le compte…</translation>
    </message>
    <message>
        <source>Remove account</source>
        <translation>Supprimer le compte</translation>
    </message>
    <message>
        <source>Remove Account</source>
        <translation>Supprimer le compte</translation>
    </message>
    <message>
        <source>Remove the account %1?</source>
        <translation>Supprimer le compte %1 ?</translation>
    </message>
    <message>
        <source>Its lists stay on this computer, no longer synced; the server keeps them. Its password leaves the keyring.</source>
        <translation>Ses listes restent sur cet ordinateur, sans synchronisation ; le serveur les garde. Son mot de passe quitte le trousseau.</translation>
    </message>
    <message>
        <source>Also &amp;delete its lists and their tasks on this computer</source>
        <translation>&amp;Effacer aussi ses listes et leurs tâches sur cet ordinateur</translation>
    </message>
    <message>
        <source>Remove</source>
        <translation>Supprimer</translation>
    </message>
    <message>
        <source>Not removed: %1</source>
        <translation>Non supprimé : %1</translation>
    </message>
    <message>
        <source>Removed, but: %1</source>
        <translation>Supprimé, mais : %1</translation>
    </message>
</context>
<context>
    <name>zarvo::desktop::DetailsPane</name>
    <message>
        <source>Flagged</source>
        <translation>Signalée</translation>
    </message>
    <message>
        <source>Task details</source>
        <translation>Détails de la tâche</translation>
    </message>
    <message>
        <source>Title</source>
        <translation>Titre</translation>
    </message>
    <message>
        <source>Notes</source>
        <translation>Notes</translation>
    </message>
    <message>
        <source>Due</source>
        <translation>Échéance</translation>
    </message>
    <message>
        <source>None</source>
        <translation>Aucune</translation>
    </message>
    <message>
        <source>A date as in quick entry: “fri 5pm”, “2031-12-24”, “in 3 days”. Without a time the task is due all day; empty: no due.</source>
        <translation>Une date comme dans la saisie rapide : « ven 17h », « 2031-12-24 », « dans 3 jours ». Sans heure, la tâche est due toute la journée ; vide : pas d’échéance.</translation>
    </message>
    <message>
        <source>List</source>
        <translation>Liste</translation>
    </message>
    <message>
        <source>Priority</source>
        <translation>Priorité</translation>
    </message>
    <message>
        <source>Low</source>
        <translation>Basse</translation>
    </message>
    <message>
        <source>Medium</source>
        <translation>Moyenne</translation>
    </message>
    <message>
        <source>High</source>
        <translation>Haute</translation>
    </message>
    <message>
        <source>Tags</source>
        <translation>Étiquettes</translation>
    </message>
    <message>
        <source>errand, home</source>
        <translation>course, maison</translation>
    </message>
</context>
<context>
    <name>zarvo::desktop::MainWindow</name>
    <message>
        <source>Zarvo</source>
        <translation>Zarvo</translation>
    </message>
    <message>
        <source>Tasks</source>
        <translation>Tâches</translation>
    </message>
    <message>
        <source>Search</source>
        <translation>Rechercher</translation>
    </message>
    <message>
        <source>Search tasks</source>
        <translation>Rechercher des tâches</translation>
    </message>
    <message>
        <source>Order</source>
        <translation>Ordre</translation>
    </message>
    <message>
        <source>By due date</source>
        <translation>Par échéance</translation>
    </message>
    <message>
        <source>By priority</source>
        <translation>Par priorité</translation>
    </message>
    <message>
        <source>Newest first</source>
        <translation>Plus récentes d’abord</translation>
    </message>
    <message>
        <source>By title</source>
        <translation>Par titre</translation>
    </message>
    <message>
        <source>Overdue first</source>
        <translation>En retard d’abord</translation>
    </message>
    <message>
        <source>Sync problem</source>
        <translation>Problème de synchronisation</translation>
    </message>
    <message>
        <source>Dismiss</source>
        <translation>Fermer</translation>
    </message>
    <message>
        <source>Dismiss the sync problem</source>
        <translation>Fermer l’avis de synchronisation</translation>
    </message>
    <message>
        <source>New list</source>
        <translation>Nouvelle liste</translation>
    </message>
    <message>
        <source>Waiting for %1 to finish with the home…</source>
        <translation>En attente que %1 ait fini avec le dossier…</translation>
    </message>
    <message>
        <source>No date found in “%1”; the due is unchanged.</source>
        <translation>Aucune date trouvée dans « %1 » ; l’échéance ne change pas.</translation>
    </message>
    <message>
        <source>Complete</source>
        <translation>Terminer</translation>
    </message>
    <message>
        <source>Flag</source>
        <translation>Signaler</translation>
    </message>
    <message>
        <source>Move to…</source>
        <translation>Déplacer vers…</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Supprimer</translation>
    </message>
    <message>
        <source>&amp;Edit</source>
        <translation>&amp;Édition</translation>
    </message>
    <message>
        <source>Undo</source>
        <translation>Annuler</translation>
    </message>
    <message>
        <source>Undone: %1</source>
        <translation>Annulé : %1</translation>
    </message>
    <message>
        <source>Redo</source>
        <translation>Rétablir</translation>
    </message>
    <message>
        <source>Redone: %1</source>
        <translation>Rétabli : %1</translation>
    </message>
    <message>
        <source>&amp;View</source>
        <translation>&amp;Affichage</translation>
    </message>
    <message>
        <source>&amp;Sort By</source>
        <translation>&amp;Trier par</translation>
    </message>
    <message>
        <source>Sync Now</source>
        <translation>Synchroniser maintenant</translation>
    </message>
    <message>
        <source>&amp;Sync</source>
        <translation>&amp;Synchronisation</translation>
    </message>
    <message>
        <source>Syncing…</source>
        <translation>Synchronisation…</translation>
    </message>
    <message>
        <source>Syncing… %1</source>
        <translation>Synchronisation… %1</translation>
    </message>
    <message>
        <source>Synced.</source>
        <translation>Synchronisé.</translation>
    </message>
    <message>
        <source>Sync failed: %1</source>
        <translation>Échec de la synchronisation : %1</translation>
    </message>
    <message>
        <source>Remove List</source>
        <translation>Supprimer la liste</translation>
    </message>
    <message numerus="yes">
        <source>Remove “%1” and all its tasks (%n open)?</source>
        <translation>
            <numerusform>Supprimer « %1 » et toutes ses tâches (%n ouverte) ?</numerusform>
            <numerusform>Supprimer « %1 » et toutes ses tâches (%n ouvertes) ?</numerusform>
        </translation>
    </message>
    <message>
        <source>Completed tasks go with it. Edit → Undo brings the list back.</source>
        <translation>Les tâches terminées partent avec elle. Édition → Annuler ramène la liste.</translation>
    </message>
    <message>
        <source>Remove</source>
        <translation>Supprimer</translation>
    </message>
    <message>
        <source>That task is no longer open.</source>
        <translation>Cette tâche n’est plus ouverte.</translation>
    </message>
    <message>
        <source>Undo %1</source>
        <translation>Annuler %1</translation>
    </message>
    <message>
        <source>Redo %1</source>
        <translation>Rétablir %1</translation>
    </message>
    <message>
        <source>Reading your tasks…</source>
        <translation>Lecture de vos tâches…</translation>
    </message>
    <message numerus="yes">
        <source>%n task file(s) skipped (unreadable, or a second file of one task); ZARVO_LOG_LEVEL=error shows which and why</source>
        <translation>
            <numerusform>%n fichier de tâche ignoré (illisible, ou second fichier d’une tâche) ; ZARVO_LOG_LEVEL=error indique lequel et pourquoi</numerusform>
            <numerusform>%n fichiers de tâches ignorés (illisibles, ou second fichier d’une tâche) ; ZARVO_LOG_LEVEL=error indique lesquels et pourquoi</numerusform>
        </translation>
    </message>
    <message>
        <source>Move to list</source>
        <translation>Déplacer vers la liste</translation>
    </message>
    <message>
        <source>Your order</source>
        <translation>Votre ordre</translation>
    </message>
    <message>
        <source>&amp;Accounts…</source>
        <translation>&amp;Comptes…</translation>
    </message>
    <message>
        <source>Account %1 saved; Sync Now fetches its lists.</source>
        <translation>Compte %1 enregistré ; Synchroniser maintenant récupère ses listes.</translation>
    </message>
    <message>
        <source>Account %1 removed, and its lists on this computer.</source>
        <translation>Compte %1 supprimé, ainsi que ses listes sur cet ordinateur.</translation>
    </message>
    <message>
        <source>Account %1 removed; its lists stay here, no longer synced.</source>
        <translation>Compte %1 supprimé ; ses listes restent ici, sans synchronisation.</translation>
    </message>
</context>
<context>
    <name>zarvo::desktop::QuickAddBox</name>
    <message>
        <source>Quick Add</source>
        <translation>Ajout rapide</translation>
    </message>
    <message>
        <source>Quick add</source>
        <translation>Ajout rapide</translation>
    </message>
    <message>
        <source>Not added: %1</source>
        <translation>Non ajoutée : %1</translation>
    </message>
</context>
<context>
    <name>zarvo::desktop::QuickEntry</name>
    <message>
        <source>New task: &quot;Call Anna tomorrow 5pm #Work !!&quot;</source>
        <translation>Nouvelle tâche : « Appeler Anna demain 17h #Travail !! »</translation>
    </message>
    <message>
        <source>Quick entry</source>
        <translation>Saisie rapide</translation>
    </message>
    <message>
        <source>What Enter creates</source>
        <translation>Ce que crée Entrée</translation>
    </message>
    <message>
        <source>Type a task; a date, #list and !! are understood.</source>
        <translation>Saisissez une tâche ; une date, #liste et !! sont compris.</translation>
    </message>
    <message>
        <source>Nothing is left for a title.</source>
        <translation>Il ne reste rien pour le titre.</translation>
    </message>
    <message>
        <source>Due %1</source>
        <translation>Échéance %1</translation>
    </message>
    <message>
        <source>in %1</source>
        <translation>dans %1</translation>
    </message>
    <message>
        <source>no list &quot;%1&quot;: in %2</source>
        <translation>pas de liste « %1 » : dans %2</translation>
    </message>
    <message>
        <source>flagged</source>
        <translation>signalée</translation>
    </message>
    <message>
        <source>repeats</source>
        <translation>se répète</translation>
    </message>
    <message>
        <source>1 day</source>
        <translation>1 jour</translation>
    </message>
    <message>
        <source>%1 days</source>
        <translation>%1 jours</translation>
    </message>
    <message>
        <source>1 hour</source>
        <translation>1 heure</translation>
    </message>
    <message>
        <source>%1 hours</source>
        <translation>%1 heures</translation>
    </message>
    <message>
        <source>1 minute</source>
        <translation>1 minute</translation>
    </message>
    <message>
        <source>%1 minutes</source>
        <translation>%1 minutes</translation>
    </message>
    <message>
        <source>reminder %1 before</source>
        <translation>rappel %1 avant</translation>
    </message>
    <message>
        <source>reminder in %1</source>
        <translation>rappel dans %1</translation>
    </message>
    <message>
        <source>reminder %1</source>
        <translation>rappel %1</translation>
    </message>
</context>
<context>
    <name>zarvo::desktop::Sidebar</name>
    <message>
        <source>Lists</source>
        <translation>Listes</translation>
    </message>
    <message>
        <source>Today</source>
        <translation>Aujourd’hui</translation>
    </message>
    <message>
        <source>Upcoming</source>
        <translation>À venir</translation>
    </message>
    <message>
        <source>Flagged</source>
        <translation>Signalées</translation>
    </message>
    <message>
        <source>Top</source>
        <translation>Importantes</translation>
    </message>
    <message>
        <source>All</source>
        <translation>Toutes</translation>
    </message>
    <message>
        <source>Red</source>
        <translation>Rouge</translation>
    </message>
    <message>
        <source>Orange</source>
        <translation>Orange</translation>
    </message>
    <message>
        <source>Yellow</source>
        <translation>Jaune</translation>
    </message>
    <message>
        <source>Green</source>
        <translation>Vert</translation>
    </message>
    <message>
        <source>Blue</source>
        <translation>Bleu</translation>
    </message>
    <message>
        <source>Purple</source>
        <translation>Violet</translation>
    </message>
    <message>
        <source>Brown</source>
        <translation>Marron</translation>
    </message>
    <message>
        <source>Grey</source>
        <translation>Gris</translation>
    </message>
    <message>
        <source>Colour of %1</source>
        <translation>Couleur de %1</translation>
    </message>
    <message>
        <source>Remove List…</source>
        <translation>Supprimer la liste…</translation>
    </message>
    <message>
        <source>My Lists</source>
        <translation>Mes listes</translation>
    </message>
    <message>
        <source>This computer</source>
        <translation>Cet ordinateur</translation>
    </message>
    <message>
        <source>%1, folded</source>
        <translation>%1, replié</translation>
    </message>
    <message>
        <source>%1, unfolded</source>
        <translation>%1, déplié</translation>
    </message>
</context>
<context>
    <name>zarvo::desktop::SyncController</name>
    <message>
        <source>%1: failed</source>
        <translation>%1 : échec</translation>
    </message>
    <message numerus="yes">
        <source>%n added here</source>
        <translation>
            <numerusform>%n ajoutée ici</numerusform>
            <numerusform>%n ajoutées ici</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n updated here</source>
        <translation>
            <numerusform>%n modifiée ici</numerusform>
            <numerusform>%n modifiées ici</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n deleted here</source>
        <translation>
            <numerusform>%n supprimée ici</numerusform>
            <numerusform>%n supprimées ici</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n added on the server</source>
        <translation>
            <numerusform>%n ajoutée sur le serveur</numerusform>
            <numerusform>%n ajoutées sur le serveur</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n updated on the server</source>
        <translation>
            <numerusform>%n modifiée sur le serveur</numerusform>
            <numerusform>%n modifiées sur le serveur</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n deleted on the server</source>
        <translation>
            <numerusform>%n supprimée sur le serveur</numerusform>
            <numerusform>%n supprimées sur le serveur</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n conflict(s)</source>
        <translation>
            <numerusform>%n conflit</numerusform>
            <numerusform>%n conflits</numerusform>
        </translation>
    </message>
    <message>
        <source>%1: up to date</source>
        <translation>%1 : à jour</translation>
    </message>
</context>
<context>
    <name>zarvo::desktop::TaskModel</name>
    <message>
        <source>flagged</source>
        <translation>signalée</translation>
    </message>
</context>
</TS>
